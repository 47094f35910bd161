// Every host-interface operation, made to fail in the host: which exception
// reaches the caller, and what the log says.
#include <fmt/format.h>
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <typeinfo>
#include <vector>

#include "TVSim/Sim.hpp"
#include "Torvel/Api/DatabaseId.hpp"
#include "Torvel/Implementation/Torvel.hpp"
#include "support/HandleLeakCheck.hpp"
#include "support/LogCapture.hpp"

using namespace TessaryConnect;

namespace {

// How an operation answers a host failure.
enum class Rule {
    Standard,        // traced and thrown as the code's own type
    Classification,  // the access-right code becomes the classification manager's error
    Property,        // the access-right code becomes the property manager's error
    Unchecked,       // the host's answer is returned as it is; nothing is thrown
    Command,         // logged as a failed assertion; nothing is thrown
};

using T = Api::Torvel;

struct Operation {
    const char* name;
    Rule rule;
    std::function<void(T&)> call;
    std::string hostFunction = std::string("TVAPI_") + name;  // what the fault is injected into
};

const PK::Guid kSomeGuid("6C1E4D02-95F3-4E3A-9B1D-5B8E2F0C7A11");

// OP(rule, operation, (arguments)[, host function])
#define OP(rule, name, args, ...)                                    \
    Operation {                                                      \
#name, Rule::rule, [](T & t) { t.name args; }, ##__VA_ARGS__ \
    }

std::vector<Operation> AllOperations() {
    static API_ClassificationSystem system;
    static API_ClassificationItem item;
    static API_PropertyDefinition definition;
    static API_PropertyGroup group;
    static API_ModulData data;
    static API_ProjectInfo projectInfo;
    static API_Elem_Head head;
    static API_Element element;
    static PK::Array<PK::Guid> guids;
    static const Api::DatabaseId plan(APIWind_FloorPlanID, 1, kSomeGuid);
    return {
        OP(Unchecked, GenerateGuid, (), ""),
        OP(Unchecked, GetResourceString, (32000, 1), ""),
        OP(Standard, Database_GetCurrentWindow, (), "TVAPI_Database:GWIN"),
        OP(Standard, Database_GetDatabaseInfo, (plan), "TVAPI_Database:GDBI"),
        OP(Standard, Environment_GetStorySettings, (), "TVAPI_Environment:GSTO"),
        OP(Standard, Environment_ChangeStorySettings, (API_StoryCmdType()), "TVAPI_Environment:CSTO"),
        OP(Standard, Environment_Get3DProjectionSets, (), "TVAPI_Environment:GP3D"),
        OP(Standard, Environment_Change3DProjectionSets, (API_3DProjectionInfo(), true), "TVAPI_Environment:CP3D"),
        OP(Standard, Automate_ChangeWindow, (plan), "TVAPI_Automate:CHWD"),
        OP(Standard, Goodies_NeigIDToElemTypeID, (APINeig_Wall), "TVAPI_Goodies:NTOE"),
        OP(Standard, Goodies_GetElemTypeNameID, (API_WallID), "TVAPI_Goodies:GETN"),
        OP(Command, CallUndoableCommand, ("undo", T::Command([] {}))),
        OP(Command, CallCommand, ("command", [] {})),
        OP(Standard, GetApplicationInfo, (), "TVAPI_Environment:APPL"),
        OP(Standard, GetProjectInfo, (projectInfo), "TVAPI_Environment:PROJ"),
        OP(Standard, Selection_Get, (false, false, API_NoRelativePos)),
        OP(Standard, Element_DeselectAll, ()),
        OP(Standard, Element_Select, ({}, true)),
        OP(Standard, Interface, (APIIo_IsProgressCancelledID, nullptr, nullptr, nullptr, nullptr, nullptr)),
        OP(Unchecked, Element_Filter, (kSomeGuid, 0)),
        OP(Standard, GetHierarchicalElementOwner, (kSomeGuid, API_RootHierarchicalOwner), "TVAPI_Goodies:GHEO"),
        OP(Classification, Classification_CreateClassificationSystem, (system)),
        OP(Classification, Classification_GetClassificationSystems, ()),
        OP(Classification, Classification_GetClassificationSystem, (kSomeGuid)),
        OP(Classification, Classification_ChangeClassificationSystem, (system)),
        OP(Classification, Classification_DeleteClassificationSystem, (kSomeGuid)),
        OP(Classification, Classification_GetClassificationSystemRootItems, (kSomeGuid)),
        OP(Classification, Classification_CreateClassificationItem, (item, kSomeGuid, PK::NULLGuid, PK::NULLGuid)),
        OP(Classification, Classification_GetClassificationItemSystem, (kSomeGuid)),
        OP(Classification, Classification_GetClassificationItemChildren, (kSomeGuid)),
        OP(Classification, Classification_GetClassificationItem, (item)),
        OP(Standard, Element_GetElemList, (guids, API_WallID, 0, APIVarId_Generic, PK::NULLGuid)),
        OP(Standard, Element_GetHeader, (head, 0)),
        OP(Standard, Element_Get, (kSomeGuid, element, 0)),
        OP(Standard, Element_AddClassificationItem, (kSomeGuid, kSomeGuid)),
        OP(Standard, Element_RemoveClassificationItem, (kSomeGuid, kSomeGuid)),
        OP(Standard, Element_GetClassificationInSystem, (kSomeGuid, kSomeGuid)),
        OP(Standard, Element_GetElementsWithClassification, (kSomeGuid)),
        OP(Unchecked, Element_IsPropertyDefinitionAvailable, (kSomeGuid, kSomeGuid)),
        OP(Standard, Element_SetProperties, (kSomeGuid, {})),
        OP(Standard, Element_GetPropertyValuesByGuid, (kSomeGuid, {})),
        OP(Standard, ElementList_ModifyPropertyValue, (API_Property(), {})),
        OP(Property, Property_CreatePropertyDefinition, (definition)),
        OP(Property, Property_CreatePropertyGroup, (group)),
        OP(Property, Property_ChangePropertyGroup, (group)),
        OP(Standard, Property_GetPropertyDefinitions, (kSomeGuid)),
        OP(Standard, Property_GetPropertyDefinition, (definition)),
        OP(Property, Property_ChangePropertyDefinition, (definition)),
        OP(Standard, Property_GetPropertyGroup, (kSomeGuid)),
        OP(Standard, Property_GetPropertyGroups, ()),
        OP(Property, Property_DeletePropertyGroup, (kSomeGuid)),
        OP(Standard, ModulData_Store, ("name", data)),
        OP(Standard, ModulData_Get, ("name", data)),
        OP(Standard, ModulData_Erase, ("name"), "TVAPI_ModulData_Store"),
        OP(Standard, ModulData_GetList, ()),
        OP(Standard, Do_ZoomToSelected, (), "TVAPI_Automate:DOOM"),
        OP(Standard, ElementSet_Create, ({}, nullptr)),
        OP(Standard, ElementSet_Delete, (kSomeGuid)),
        OP(Standard, ElementSet_GetData, (kSomeGuid, guids, nullptr)),
        OP(Standard, ElementSet_Identify, (kSomeGuid, guids)),
        OP(Unchecked, TeamworkControl_HasConnection, ()),
        OP(Unchecked, TeamworkControl_FindLockableObjectSet, (T::ObjectSet::ClassificationsAndProperties)),
        OP(Unchecked, TeamworkControl_GetLockableStatus, (kSomeGuid, nullptr)),
        OP(Standard, AddOnObject_CreateUniqueObject, ("PlanData")),
        OP(Standard, AddOnObject_ModifyObject, (kSomeGuid, nullptr)),
        OP(Standard, AddOnObject_DeleteObject, (kSomeGuid)),
        OP(Standard, AddOnObject_GetObjectList, ()),
        OP(Standard, AddOnObject_GetObjectContent, (kSomeGuid)),
        OP(Standard, AddOnObject_GetUniqueObjectGuidFromName, ("PlanData")),
        OP(Standard, AddOnObject_ExistsObject, (kSomeGuid)),
        OP(Standard, AddOnObject_ReserveObject, (kSomeGuid), "TVAPI_AddOnObject_ReserveObjects"),
        OP(Standard, AddOnObject_ReleaseObject, (kSomeGuid), "TVAPI_AddOnObject_ReleaseObjects"),
        OP(Standard, Navigator_GetNavigatorItem, (kSomeGuid), "TVAPI_Navigator:GNIT"),
    };
}

#undef OP

// What the operation did with its host function answering code: the type it
// threw ("nothing" when none), then each line logged.
std::string Outcome(const Operation& op, PKErrCode code, TestSupport::LogCapture& log) {
    log.Clear();
    TVSim::Faults::Clear();
    if (!op.hostFunction.empty()) TVSim::Faults::FailAlways(op.hostFunction, code);
    Implementation::Torvel torvel;
    std::string outcome = "nothing";
    try {
        op.call(torvel);
    } catch (const std::exception& e) {
        outcome = typeid(e).name();
    }
    for (const auto& r : log.Records())
        outcome += fmt::format(" | {} {} @{}", spdlog::level::to_string_view(r.level), r.message, r.function);
    return outcome;
}

// The answer each rule gives to that code.
std::string Expected(const Operation& op, PKErrCode code) {
    const bool access = code == APIERR_NOACCESSRIGHT;
    const std::string codeText = access ? "APIERR_NOACCESSRIGHT(-2130312909)" : "APIERR_GENERAL(-2130313215)";
    const std::string thrown = std::string(access ? typeid(Api::Error<APIERR_NOACCESSRIGHT>).name()
                                                  : typeid(Api::Error<APIERR_GENERAL>).name()) +
                               " | trace GeneralError exception will be thrown: " + codeText + " @" + op.name;
    switch (op.rule) {
        case Rule::Standard:
            return thrown;
        case Rule::Classification:
            return access ? typeid(Api::ErrorClassificationManagerNoAccessRight).name() : thrown;
        case Rule::Property:
            return access ? typeid(Api::ErrorPropertyManagerNoAccessRight).name() : thrown;
        case Rule::Unchecked:
            return "nothing";
        case Rule::Command:
            return fmt::format("nothing | critical failed assertion: res == NoError, res({}) @operator()", code);
    }
    return "";
}

class TorvelRefusals : public TestSupport::HandleCheckedTest {
protected:
    TorvelRefusals() {
        TVSim::OpenProject();
        TVSim::Commands::SetUndoScopeRequired(false);
    }
    TestSupport::LogCapture log;
};

}  // namespace

TEST_F(TorvelRefusals, AFailedHostCallBecomesItsTypedErrorAndARefusedAccessRightTheOwningManagersError) {
    for (const PKErrCode code : {APIERR_GENERAL, APIERR_NOACCESSRIGHT})
        for (const Operation& op : AllOperations()) EXPECT_EQ(Outcome(op, code, log), Expected(op, code)) << op.name;
}

TEST_F(TorvelRefusals, CodesThatAreOrdinaryAnswersThrowNothingAndLogNothing) {
    Implementation::Torvel torvel;
    TVSim::CloseProject();
    API_ProjectInfo info;
    EXPECT_FALSE(torvel.GetProjectInfo(info));
    EXPECT_TRUE(torvel.Selection_Get(false, false, API_NoRelativePos).neigs.IsEmpty());
    TVSim::OpenProject();
    EXPECT_TRUE(torvel.Selection_Get(false, false, API_NoRelativePos).neigs.IsEmpty());  // nothing selected
    API_ModulData data;
    EXPECT_FALSE(torvel.ModulData_Get("never stored", data));
    EXPECT_EQ(data.dataHdl, nullptr);
    EXPECT_TRUE(log.Records().empty());
}
