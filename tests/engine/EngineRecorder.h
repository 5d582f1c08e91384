// What the engine reported through its two plain-function callbacks, shared by
// the engine tests. The callbacks carry no context, so the recorder is global.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

struct TRecorder {
    std::vector<std::string> Steps;
    std::size_t StepCount = 0;
    std::string LastStep;
    bool KeepSteps = true; // off for huge inputs, whose steps are only counted
    std::string Message;
    int Position = -1;
    int ErrorCount = 0;
};

inline TRecorder Recorder;

inline void RecordError(std::string message, int position)
{
    Recorder.Message = std::move(message);
    Recorder.Position = position;
    ++Recorder.ErrorCount;
}

inline void RecordStep(const std::string& equation)
{
    ++Recorder.StepCount;
    if (Recorder.KeepSteps) {
        Recorder.Steps.push_back(equation);
    } else {
        Recorder.LastStep = equation;
    }
}
