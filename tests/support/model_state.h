// The one fixture of the unit tests: every test starts from the model's
// records as the library's load left them, whatever ran before it.
#pragma once

#include <gtest/gtest.h>

#include <vector>

// Puts every global record back to its state just after load. Force lists
// keep their storage (the library frees it only at unload) and lose their
// contents.
void reset_model();
// A copy of every record now, and back to it (force lists as above).
void save_model();
void restore_model();
// The bytes of every record, for comparing whole model states.
std::vector<unsigned char> model_bytes();

class Model_Test : public ::testing::Test {
 protected:
    void SetUp() override { reset_model(); }
};
