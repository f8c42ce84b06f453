#pragma once

// ed_fm_simulate's body: one frame of dt seconds in the fixed order.
void frame_step(double dt);
// Step 19: the centre of mass and the point the summed force is reported at.
void update_center_of_mass();
