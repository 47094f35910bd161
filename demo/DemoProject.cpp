#include "DemoProject.hpp"

#include "PK/Runnable.hpp"
#include "TVSim/SimTeamwork.hpp"

namespace Demo {

SampleProject BuildSampleProject(std::size_t elementCount) {
    SampleProject sample;
    TVSim::Project& p = TVSim::OpenSavedProject("Riverside Offices", "/projects/Riverside Offices.tvp");
    p.SetStories(0, {"Ground Floor", "First Floor"});
    const PK::Int32 structure = p.AddLayer("Structure");
    const PK::Int32 openings = p.AddLayer("Openings");
    const PK::Int32 hiddenLayer = p.AddLayer("Hidden Details", {.hidden = true});
    // The specification's clause codes, as the office keeps them: a clause in use becomes a virtual type of its item.
    sample.clauses = p.AddClassificationSystem("Clauses");
    for (const char* code : {"E60", "F10", "H20", "L20", "M10"}) p.AddClassificationItem(sample.clauses, code);
    p.AddClassificationSystem("Uniclass", "2015");

    // Four walls to a slab, and as many doors and windows as walls, story by story.
    const std::size_t usable = elementCount > 4 ? elementCount - 4 : 0;
    const std::size_t walls = usable * 4 / 10, slabs = usable / 10, doors = usable / 4;
    const std::size_t windows = usable - walls - slabs - doors;
    const auto story = [](std::size_t i) { return static_cast<PK::Int16>(i % 2); };
    for (std::size_t i = 0; i < walls; ++i)
        sample.walls.push_back(p.AddElement(API_WallID, {.layer = structure, .story = story(i)}));
    for (std::size_t i = 0; i < slabs; ++i)
        sample.slabs.push_back(p.AddElement(API_SlabID, {.layer = structure, .story = story(i)}));
    for (std::size_t i = 0; i < doors; ++i)
        sample.doors.push_back(
            p.AddElement(API_DoorID, {.variation = APIVarId_Door, .layer = openings, .story = story(i)}));
    for (std::size_t i = 0; i < windows; ++i)
        sample.windows.push_back(p.AddElement(API_WindowID, {.layer = openings, .story = story(i)}));
    sample.locked = p.AddElement(API_WallID, {.layer = structure, .locked = true});
    sample.hidden = p.AddElement(API_SlabID, {.layer = hiddenLayer, .story = 1});
    sample.hotlinked = p.AddElement(API_WallID, {.story = 1, .hotlink = p.AddAddOnObject("hotlinked module: Core")});
    PK::MainMessageLoop::RunPending();

    sample.memberA = TVSim::Teamwork::Share("Member A");
    sample.memberB = TVSim::Teamwork::Join("Member B");
    TVSim::Teamwork::SwitchTo(sample.memberB);
    sample.reserved = TVSim::GetProject()->AddElement(API_WindowID, {.layer = openings, .story = 1});
    TVSim::Teamwork::SendAndReceive();
    PK::MainMessageLoop::RunPending();
    TVSim::Teamwork::SwitchTo(sample.memberA);
    TVSim::Teamwork::Receive();
    PK::MainMessageLoop::RunPending();
    return sample;
}

std::string KindOf(const TVSim::Project& project, const API_Guid& element) {
    switch (project.GetElement(element).head.typeID) {
        case API_WallID:
            return "wall";
        case API_SlabID:
            return "slab";
        case API_DoorID:
            return "door";
        case API_WindowID:
            return "window";
        default:
            return std::to_string(project.GetElement(element).head.typeID);
    }
}

}  // namespace Demo
