// Every host-interface operation, made to fail in the host: which exception
// reaches the caller, and what the log says.
#include <gtest/gtest.h>

#include <functional>
#include <stdexcept>
#include <string>
#include <typeinfo>
#include <vector>

#include "TVSim/Sim.hpp"
#include "Torvel/Api/DatabaseId.hpp"
#include "Torvel/Implementation/Torvel.hpp"
#include "support/HandleLeakCheck.hpp"
#include "support/LogCapture.hpp"

using namespace TessaryConnect;
using TestSupport::LogCapture;

namespace {

// How an operation answers a host failure.
enum class Rule {
    Standard,        // traced and thrown as the code's own type
    Classification,  // the access-right code becomes the classification manager's error
    Property,        // the access-right code becomes the property manager's error
    Unchecked,       // the host's answer is returned as it is; nothing is thrown
    Command,         // logged as a failed assertion; nothing is thrown
};

struct Operation {
    const char* name;
    Rule rule;
    std::function<void(Api::Torvel&)> call;
    std::string hostFunction = std::string("TVAPI_") + name;  // what the fault is injected into
};

const PK::Guid kSomeGuid("6C1E4D02-95F3-4E3A-9B1D-5B8E2F0C7A11");

std::vector<Operation> AllOperations() {
    using T = Api::Torvel;
    static API_ClassificationSystem system;
    static API_ClassificationItem item;
    static API_PropertyDefinition definition;
    static API_PropertyGroup group;
    static API_ModulData data;
    static API_ProjectInfo projectInfo;
    static API_Elem_Head head;
    static API_Element element;
    static PK::Array<PK::Guid> guids;
    return {
        {"GenerateGuid", Rule::Unchecked, [](T& t) { t.GenerateGuid(); }, ""},
        {"GetResourceString", Rule::Unchecked, [](T& t) { t.GetResourceString(32000, 1); }, ""},
        {"Database_GetCurrentWindow", Rule::Standard, [](T& t) { t.Database_GetCurrentWindow(); },
         "TVAPI_Database:GWIN"},
        {"Database_GetDatabaseInfo", Rule::Standard,
         [](T& t) { t.Database_GetDatabaseInfo(Api::DatabaseId(APIWind_FloorPlanID, 1, kSomeGuid)); },
         "TVAPI_Database:GDBI"},
        {"Environment_GetStorySettings", Rule::Standard, [](T& t) { t.Environment_GetStorySettings(); },
         "TVAPI_Environment:GSTO"},
        {"Environment_ChangeStorySettings", Rule::Standard,
         [](T& t) { t.Environment_ChangeStorySettings(API_StoryCmdType()); }, "TVAPI_Environment:CSTO"},
        {"Environment_Get3DProjectionSets", Rule::Standard, [](T& t) { t.Environment_Get3DProjectionSets(); },
         "TVAPI_Environment:GP3D"},
        {"Environment_Change3DProjectionSets", Rule::Standard,
         [](T& t) { t.Environment_Change3DProjectionSets(API_3DProjectionInfo(), true); }, "TVAPI_Environment:CP3D"},
        {"Automate_ChangeWindow", Rule::Standard,
         [](T& t) { t.Automate_ChangeWindow(Api::DatabaseId(APIWind_3DModelID, 1, kSomeGuid)); },
         "TVAPI_Automate:CHWD"},
        {"Goodies_NeigIDToElemTypeID", Rule::Standard, [](T& t) { t.Goodies_NeigIDToElemTypeID(APINeig_Wall); },
         "TVAPI_Goodies:NTOE"},
        {"Goodies_GetElemTypeNameID", Rule::Standard, [](T& t) { t.Goodies_GetElemTypeNameID(API_WallID); },
         "TVAPI_Goodies:GETN"},
        {"CallUndoableCommand", Rule::Command, [](T& t) { t.CallUndoableCommand("undo", T::Command([] {})); }},
        {"CallCommand", Rule::Command, [](T& t) { t.CallCommand("command", [] {}); }},
        {"GetApplicationInfo", Rule::Standard, [](T& t) { t.GetApplicationInfo(); }, "TVAPI_Environment:APPL"},
        {"GetProjectInfo", Rule::Standard, [](T& t) { t.GetProjectInfo(projectInfo); }, "TVAPI_Environment:PROJ"},
        {"Selection_Get", Rule::Standard, [](T& t) { t.Selection_Get(false, false, API_NoRelativePos); }},
        {"Element_DeselectAll", Rule::Standard, [](T& t) { t.Element_DeselectAll(); }},
        {"Element_Select", Rule::Standard, [](T& t) { t.Element_Select({}, true); }},
        {"Interface", Rule::Standard,
         [](T& t) { t.Interface(APIIo_IsProgressCancelledID, nullptr, nullptr, nullptr, nullptr, nullptr); }},
        {"Element_Filter", Rule::Unchecked, [](T& t) { t.Element_Filter(kSomeGuid, 0); }},
        {"GetHierarchicalElementOwner", Rule::Standard,
         [](T& t) { t.GetHierarchicalElementOwner(kSomeGuid, API_RootHierarchicalOwner); }, "TVAPI_Goodies:GHEO"},
        {"Classification_CreateClassificationSystem", Rule::Classification,
         [](T& t) { t.Classification_CreateClassificationSystem(system); }},
        {"Classification_GetClassificationSystems", Rule::Classification,
         [](T& t) { t.Classification_GetClassificationSystems(); }},
        {"Classification_GetClassificationSystem", Rule::Classification,
         [](T& t) { t.Classification_GetClassificationSystem(kSomeGuid); }},
        {"Classification_ChangeClassificationSystem", Rule::Classification,
         [](T& t) { t.Classification_ChangeClassificationSystem(system); }},
        {"Classification_DeleteClassificationSystem", Rule::Classification,
         [](T& t) { t.Classification_DeleteClassificationSystem(kSomeGuid); }},
        {"Classification_GetClassificationSystemRootItems", Rule::Classification,
         [](T& t) { t.Classification_GetClassificationSystemRootItems(kSomeGuid); }},
        {"Classification_CreateClassificationItem", Rule::Classification,
         [](T& t) { t.Classification_CreateClassificationItem(item, kSomeGuid, PK::NULLGuid, PK::NULLGuid); }},
        {"Classification_GetClassificationItemSystem", Rule::Classification,
         [](T& t) { t.Classification_GetClassificationItemSystem(kSomeGuid); }},
        {"Classification_GetClassificationItemChildren", Rule::Classification,
         [](T& t) { t.Classification_GetClassificationItemChildren(kSomeGuid); }},
        {"Classification_GetClassificationItem", Rule::Classification,
         [](T& t) { t.Classification_GetClassificationItem(item); }},
        {"Element_GetElemList", Rule::Standard,
         [](T& t) { t.Element_GetElemList(guids, API_WallID, 0, APIVarId_Generic, PK::NULLGuid); }},
        {"Element_GetHeader", Rule::Standard, [](T& t) { t.Element_GetHeader(head, 0); }},
        {"Element_Get", Rule::Standard, [](T& t) { t.Element_Get(kSomeGuid, element, 0); }},
        {"Element_AddClassificationItem", Rule::Standard,
         [](T& t) { t.Element_AddClassificationItem(kSomeGuid, kSomeGuid); }},
        {"Element_RemoveClassificationItem", Rule::Standard,
         [](T& t) { t.Element_RemoveClassificationItem(kSomeGuid, kSomeGuid); }},
        {"Element_GetClassificationInSystem", Rule::Standard,
         [](T& t) { t.Element_GetClassificationInSystem(kSomeGuid, kSomeGuid); }},
        {"Element_GetElementsWithClassification", Rule::Standard,
         [](T& t) { t.Element_GetElementsWithClassification(kSomeGuid); }},
        {"Element_IsPropertyDefinitionAvailable", Rule::Unchecked,
         [](T& t) { t.Element_IsPropertyDefinitionAvailable(kSomeGuid, kSomeGuid); }},
        {"Element_SetProperties", Rule::Standard, [](T& t) { t.Element_SetProperties(kSomeGuid, {}); }},
        {"Element_GetPropertyValuesByGuid", Rule::Standard,
         [](T& t) { t.Element_GetPropertyValuesByGuid(kSomeGuid, {}); }},
        {"ElementList_ModifyPropertyValue", Rule::Standard,
         [](T& t) { t.ElementList_ModifyPropertyValue(API_Property(), {}); }},
        {"Property_CreatePropertyDefinition", Rule::Property,
         [](T& t) { t.Property_CreatePropertyDefinition(definition); }},
        {"Property_CreatePropertyGroup", Rule::Property, [](T& t) { t.Property_CreatePropertyGroup(group); }},
        {"Property_ChangePropertyGroup", Rule::Property, [](T& t) { t.Property_ChangePropertyGroup(group); }},
        {"Property_GetPropertyDefinitions", Rule::Standard, [](T& t) { t.Property_GetPropertyDefinitions(kSomeGuid); }},
        {"Property_GetPropertyDefinition", Rule::Standard, [](T& t) { t.Property_GetPropertyDefinition(definition); }},
        {"Property_ChangePropertyDefinition", Rule::Property,
         [](T& t) { t.Property_ChangePropertyDefinition(definition); }},
        {"Property_GetPropertyGroup", Rule::Standard, [](T& t) { t.Property_GetPropertyGroup(kSomeGuid); }},
        {"Property_GetPropertyGroups", Rule::Standard, [](T& t) { t.Property_GetPropertyGroups(); }},
        {"Property_DeletePropertyGroup", Rule::Property, [](T& t) { t.Property_DeletePropertyGroup(kSomeGuid); }},
        {"ModulData_Store", Rule::Standard, [](T& t) { t.ModulData_Store("name", data); }},
        {"ModulData_Get", Rule::Standard, [](T& t) { t.ModulData_Get("name", data); }},
        {"ModulData_Erase", Rule::Standard, [](T& t) { t.ModulData_Erase("name"); }, "TVAPI_ModulData_Store"},
        {"ModulData_GetList", Rule::Standard, [](T& t) { t.ModulData_GetList(); }},
        {"Do_ZoomToSelected", Rule::Standard, [](T& t) { t.Do_ZoomToSelected(); }, "TVAPI_Automate:DOOM"},
        {"ElementSet_Create", Rule::Standard, [](T& t) { t.ElementSet_Create({}, nullptr); }},
        {"ElementSet_Delete", Rule::Standard, [](T& t) { t.ElementSet_Delete(kSomeGuid); }},
        {"ElementSet_GetData", Rule::Standard, [](T& t) { t.ElementSet_GetData(kSomeGuid, guids, nullptr); }},
        {"ElementSet_Identify", Rule::Standard, [](T& t) { t.ElementSet_Identify(kSomeGuid, guids); }},
        {"TeamworkControl_HasConnection", Rule::Unchecked, [](T& t) { t.TeamworkControl_HasConnection(); }},
        {"TeamworkControl_FindLockableObjectSet", Rule::Unchecked,
         [](T& t) { t.TeamworkControl_FindLockableObjectSet(T::ObjectSet::ClassificationsAndProperties); }},
        {"TeamworkControl_GetLockableStatus", Rule::Unchecked,
         [](T& t) { t.TeamworkControl_GetLockableStatus(kSomeGuid, nullptr); }},
        {"AddOnObject_CreateUniqueObject", Rule::Standard, [](T& t) { t.AddOnObject_CreateUniqueObject("PlanData"); }},
        {"AddOnObject_ModifyObject", Rule::Standard, [](T& t) { t.AddOnObject_ModifyObject(kSomeGuid, nullptr); }},
        {"AddOnObject_DeleteObject", Rule::Standard, [](T& t) { t.AddOnObject_DeleteObject(kSomeGuid); }},
        {"AddOnObject_GetObjectList", Rule::Standard, [](T& t) { t.AddOnObject_GetObjectList(); }},
        {"AddOnObject_GetObjectContent", Rule::Standard, [](T& t) { t.AddOnObject_GetObjectContent(kSomeGuid); }},
        {"AddOnObject_GetUniqueObjectGuidFromName", Rule::Standard,
         [](T& t) { t.AddOnObject_GetUniqueObjectGuidFromName("PlanData"); }},
        {"AddOnObject_ExistsObject", Rule::Standard, [](T& t) { t.AddOnObject_ExistsObject(kSomeGuid); }},
        {"AddOnObject_ReserveObject", Rule::Standard, [](T& t) { t.AddOnObject_ReserveObject(kSomeGuid); },
         "TVAPI_AddOnObject_ReserveObjects"},
        {"AddOnObject_ReleaseObject", Rule::Standard, [](T& t) { t.AddOnObject_ReleaseObject(kSomeGuid); },
         "TVAPI_AddOnObject_ReleaseObjects"},
        {"Navigator_GetNavigatorItem", Rule::Standard, [](T& t) { t.Navigator_GetNavigatorItem(kSomeGuid); },
         "TVAPI_Navigator:GNIT"},
    };
}

const std::string kGeneralTrace = "GeneralError exception will be thrown: APIERR_GENERAL(-2130313215)";
const std::string kAccessTrace = "GeneralError exception will be thrown: APIERR_NOACCESSRIGHT(-2130312909)";

class TorvelRefusals : public TestSupport::HandleCheckedTest {
protected:
    TorvelRefusals() {
        TVSim::OpenProject();
        TVSim::Commands::SetUndoScopeRequired(false);
    }

    // Runs the operation with every call of its host function answering code;
    // returns the exception that came out, if any.
    static std::exception_ptr RunRefused(const Operation& op, GSErrCode code) {
        TVSim::Faults::Clear();
        if (!op.hostFunction.empty()) TVSim::Faults::FailAlways(op.hostFunction, code);
        Implementation::Torvel torvel;
        try {
            op.call(torvel);
        } catch (...) {
            return std::current_exception();
        }
        return nullptr;
    }

    LogCapture log;
};

const std::type_info& TypeOf(std::exception_ptr error) {
    try {
        std::rethrow_exception(error);
    } catch (const std::exception& e) {
        return typeid(e);
    } catch (...) {
        return typeid(void);
    }
}

}  // namespace

TEST_F(TorvelRefusals, AFailedHostCallBecomesItsTypedErrorAfterATraceLineNamingTheOperation) {
    for (const Operation& op : AllOperations()) {
        SCOPED_TRACE(op.name);
        log.Clear();
        std::exception_ptr error = RunRefused(op, APIERR_GENERAL);
        switch (op.rule) {
            case Rule::Standard:
            case Rule::Classification:
            case Rule::Property:
                ASSERT_TRUE(error);
                EXPECT_EQ(TypeOf(error), typeid(Api::Error<APIERR_GENERAL>));
                ASSERT_EQ(log.Records().size(), 1u);
                EXPECT_EQ(log.Records()[0].level, spdlog::level::trace);
                EXPECT_EQ(log.Records()[0].message, kGeneralTrace);
                EXPECT_EQ(log.Records()[0].function, op.name);
                EXPECT_EQ(log.Records()[0].file, "Torvel/Implementation/Torvel.cpp");
                break;
            case Rule::Unchecked:
                EXPECT_FALSE(error);
                EXPECT_TRUE(log.Records().empty());
                break;
            case Rule::Command:
                EXPECT_FALSE(error);
                ASSERT_EQ(log.Records().size(), 1u);
                EXPECT_EQ(log.Records()[0].level, spdlog::level::critical);
                EXPECT_EQ(log.Records()[0].message, "failed assertion: res == NoError, res(-2130313215)");
                EXPECT_EQ(log.Records()[0].function, "operator()");
                break;
        }
    }
}

TEST_F(TorvelRefusals, ARefusedAccessRightIsTheManagersErrorOnlyWhereTheManagerOwnsTheOperation) {
    for (const Operation& op : AllOperations()) {
        SCOPED_TRACE(op.name);
        log.Clear();
        std::exception_ptr error = RunRefused(op, APIERR_NOACCESSRIGHT);
        switch (op.rule) {
            case Rule::Classification:
                ASSERT_TRUE(error);
                EXPECT_EQ(TypeOf(error), typeid(Api::ErrorClassificationManagerNoAccessRight));
                EXPECT_TRUE(log.Records().empty());
                break;
            case Rule::Property:
                ASSERT_TRUE(error);
                EXPECT_EQ(TypeOf(error), typeid(Api::ErrorPropertyManagerNoAccessRight));
                EXPECT_TRUE(log.Records().empty());
                break;
            case Rule::Standard:
                ASSERT_TRUE(error);
                EXPECT_EQ(TypeOf(error), typeid(Api::Error<APIERR_NOACCESSRIGHT>));
                ASSERT_EQ(log.Records().size(), 1u);
                EXPECT_EQ(log.Records()[0].message, kAccessTrace);
                break;
            case Rule::Unchecked:
            case Rule::Command:
                EXPECT_FALSE(error);
                break;
        }
    }
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
