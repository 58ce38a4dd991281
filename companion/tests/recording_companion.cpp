// A stand-in companion for the API 5B1.1 method's tests: it records the arguments it was
// called with and answers what the test scripted, so a test can see exactly what the
// method hands over and what it does with each kind of answer.
#include <cstring>

#include "tests/recording_companion.h"

namespace {
RecordingCompanionState state;
}  // namespace

extern "C" {

__attribute__((visibility("default"))) RecordingCompanionState* recording_companion_state() { return &state; }

__attribute__((visibility("default"))) void pc_Calc_API_5B1_1(double tvp, double* rvp, double sqrtSlope,
                                                              double temperature_R, char* message,
                                                              const char* phaseName) {
    ++state.calls;
    state.tvp = tvp;
    state.rvpIn = rvp ? *rvp : 0.0;
    state.sqrtSlope = sqrtSlope;
    state.temperature_R = temperature_R;
    state.messageWasEmpty = message && message[0] == '\0';
    std::strncpy(state.phaseName, phaseName ? phaseName : "", sizeof state.phaseName - 1);
    if (rvp) *rvp = state.answer;
    if (!message) return;
    switch (state.line) {
        case RecordingCompanionState::Line::None:
            break;
        case RecordingCompanionState::Line::Text:
            std::strcpy(message, state.text);
            break;
        case RecordingCompanionState::Line::Unterminated:
            std::memset(message, 'A', 256);
            break;
    }
}

}  // extern "C"
