// Lets one process run many independent host sequences on the statically
// linked model: a snapshot of every global record right after load, and a
// restore that puts each record back while keeping the storage the force
// lists already own (emptied), so nothing leaks or is freed twice.
#pragma once

// Call once, after the library's static initialisation and before any export.
void fuzz_snapshot_model_state();
// Back to the state of the snapshot.
void fuzz_restore_model_state();
