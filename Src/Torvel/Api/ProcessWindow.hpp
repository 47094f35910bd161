#pragma once
// The host's progress window for one long operation: opened by the
// constructor, closed by the destructor.
#include <memory>

#include "PK/Types.hpp"
#include "PK/UniString.hpp"

namespace TessaryConnect::Api {

class Torvel;

class ProcessWindow {
public:
    ProcessWindow(std::shared_ptr<Torvel> torvel, const PK::UniString& title, PK::Int16 phaseCount);
    ~ProcessWindow();
    ProcessWindow(const ProcessWindow&) = delete;
    ProcessWindow& operator=(const ProcessWindow&) = delete;

    void NextPhase(const PK::UniString& phaseName, PK::Int32 maxValue);
    void IncrementPhaseValue(PK::Int32 increment);
    void SetPhaseValue(PK::Int32 value);
    // Whether the user asked to stop; never throws.
    bool IsCancelled() const;

private:
    std::shared_ptr<Torvel> _torvel;
    PK::Int16 _phaseCount;
};

}  // namespace TessaryConnect::Api
