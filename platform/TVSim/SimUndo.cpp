// Undo and redo of the simulated project. Each undoable step keeps the
// entries it changes as they were before its first change of each
// (ProjectState::Keep); undoing swaps those images with the entries as they
// are, so the same record then holds what redo brings back. It costs what the
// step touched, plus one pass over the project to work out the indexes again.
#include <stdexcept>
#include <type_traits>
#include <utility>

#include "TVSim/SimState.hpp"

namespace TVSim::Detail {

namespace {

// Reservations are the team-work server's, not the step's: they stay as they are.
void KeepServerState(const Element& now, Element& restored) {
    restored.reservation = now.reservation;
    restored.reservedBy = now.reservedBy;
}
void KeepServerState(const AddOnObject& now, AddOnObject& restored) {
    restored.reservedByMe = now.reservedByMe;
    restored.reservedBy = now.reservedBy;
}
template <typename Value>
void KeepServerState(const Value&, Value&) {}

template <typename Key, typename Value>
void Swap(ProjectState& state, PK::HashTable<Key, Value>& table, Images<Key, Value>& images) {
    for (auto& [key, image] : images) {
        Value* now = table.GetPtr(key);
        if (now != nullptr && image) {
            KeepServerState(*now, *image);
            const Value previous = *now;
            *now = *image;
            *image = previous;
        } else if (now != nullptr) {
            // Elements come and go only with the user's own edits, never with a step.
            if constexpr (std::is_same_v<Value, Element>) continue;
            image = *now;
            table.Delete(key);
        } else if (image) {
            if constexpr (std::is_same_v<Value, Element>) continue;
            table.Put(key, *image);
            image.reset();
        }
        if constexpr (std::is_same_v<Value, Element>)
            if (now != nullptr) state.Touch(*now);
    }
}

PKErrCode TakeBack(ProjectState& state, std::vector<UndoRecord>& from, std::vector<UndoRecord>& to) {
    if (Host().commandDepth > 0) throw std::logic_error("TVSim: undo or redo inside a host command");
    if (from.empty()) return APIERR_UNDOEMPTY;
    UndoRecord record = std::move(from.back());
    from.pop_back();
    Swap(state, state.elements, record.Of<API_Guid, Element>());
    Swap(state, state.systems, record.Of<API_Guid, ClassificationSystem>());
    Swap(state, state.items, record.Of<API_Guid, ClassificationItem>());
    Swap(state, state.groups, record.Of<API_Guid, PropertyGroup>());
    Swap(state, state.definitions, record.Of<API_Guid, PropertyDefinition>());
    Swap(state, state.modulData, record.Of<PK::UniString, ModulData>());
    Swap(state, state.addOnObjects, record.Of<API_Guid, AddOnObject>());
    Swap(state, state.elementSets, record.Of<API_Guid, ElementSet>());
    state.Reindex();
    to.push_back(std::move(record));
    return NoError;
}

}  // namespace

void ProjectState::EndStep() {
    if (recording && !recording->IsEmpty()) {
        undoable.push_back(std::move(*recording));
        redoable.clear();
    }
    recording.reset();
}

}  // namespace TVSim::Detail

namespace TVSim {

PKErrCode Project::Undo() { return Detail::TakeBack(*_state, _state->undoable, _state->redoable); }

PKErrCode Project::Redo() { return Detail::TakeBack(*_state, _state->redoable, _state->undoable); }

PK::USize Project::GetUndoableCount() const { return _state->undoable.size(); }

}  // namespace TVSim
