// Recording GL layer for tests: defines the OpenGL 1.x and GLU entry points the
// project calls, so a test executable linked against it (instead of libGL)
// records every call in order. It also simulates the matrix stacks, so
// glGetFloatv(GL_MODELVIEW_MATRIX) answers what real OpenGL would.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace glrecord {

// One recorded call: its GL name and its arguments widened to double. Pointer
// arguments are expanded (glVertex3fv gives 3 numbers, glMultMatrixf 16);
// enums and bitfields appear as their numeric values.
struct Call {
    std::string name;
    std::vector<double> args;
};

enum class Mode {
    Record,  // keep every call in the trace
    Count,   // only count calls; allocates nothing (for allocation tests and benchmarks)
};

void reset();                          // empties the trace, resets counters, matrices and GL state
void setMode(Mode mode);               // Record by default
const std::vector<Call>& trace();      // the calls recorded since the last reset
std::size_t callCount();               // calls since the last reset, in either mode
std::size_t countOf(const std::string& name);  // recorded calls with this name

// Simulated state, as a real context would hold it.
const float* modelview();              // current model-view matrix, column-major
const float* projection();             // current projection matrix, column-major
bool isEnabled(unsigned int capability);

}  // namespace glrecord
