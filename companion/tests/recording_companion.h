// What the recording stand-in companion remembers and answers; reached through its
// export recording_companion_state.
#pragma once

struct RecordingCompanionState {
    enum class Line { None, Text, Unterminated };
    // Scripted by the test.
    double answer = 10.0;       // written to *rvp
    Line line = Line::None;     // None writes nothing; Unterminated fills all 256 bytes
    char text[256] = {};        // the line for Line::Text
    // Recorded at the last call.
    int calls = 0;
    double tvp = 0.0;
    double rvpIn = 0.0;
    double sqrtSlope = 0.0;
    double temperature_R = 0.0;
    bool messageWasEmpty = false;  // the buffer held an empty line when called
    char phaseName[32] = {};
};

extern "C" {
using RecordingCompanionStateFn = RecordingCompanionState* (*)();
}
