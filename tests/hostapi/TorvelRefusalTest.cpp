// Every host-interface operation, made to fail in the host: which exception
// reaches the caller, and what the log says.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <regex>
#include <set>
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
    const char* hostFunction;  // what the fault is injected into
    Rule rule;
    std::function<void(Api::Torvel&)> call;
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
        {"GenerateGuid", "", Rule::Unchecked, [](T& t) { t.GenerateGuid(); }},
        {"GetResourceString", "", Rule::Unchecked, [](T& t) { t.GetResourceString(32000, 1); }},
        {"Database_GetCurrentWindow", "TVAPI_Database:GWIN", Rule::Standard,
         [](T& t) { t.Database_GetCurrentWindow(); }},
        {"Database_GetDatabaseInfo", "TVAPI_Database:GDBI", Rule::Standard,
         [](T& t) { t.Database_GetDatabaseInfo(Api::DatabaseId(APIWind_FloorPlanID, 1, kSomeGuid)); }},
        {"Environment_GetStorySettings", "TVAPI_Environment:GSTO", Rule::Standard,
         [](T& t) { t.Environment_GetStorySettings(); }},
        {"Environment_ChangeStorySettings", "TVAPI_Environment:CSTO", Rule::Standard,
         [](T& t) { t.Environment_ChangeStorySettings(API_StoryCmdType()); }},
        {"Environment_Get3DProjectionSets", "TVAPI_Environment:GP3D", Rule::Standard,
         [](T& t) { t.Environment_Get3DProjectionSets(); }},
        {"Environment_Change3DProjectionSets", "TVAPI_Environment:CP3D", Rule::Standard,
         [](T& t) { t.Environment_Change3DProjectionSets(API_3DProjectionInfo(), true); }},
        {"Automate_ChangeWindow", "TVAPI_Automate:CHWD", Rule::Standard,
         [](T& t) { t.Automate_ChangeWindow(Api::DatabaseId(APIWind_3DModelID, 1, kSomeGuid)); }},
        {"Goodies_NeigIDToElemTypeID", "TVAPI_Goodies:NTOE", Rule::Standard,
         [](T& t) { t.Goodies_NeigIDToElemTypeID(APINeig_Wall); }},
        {"Goodies_GetElemTypeNameID", "TVAPI_Goodies:GETN", Rule::Standard,
         [](T& t) { t.Goodies_GetElemTypeNameID(API_WallID); }},
        {"CallUndoableCommand", "TVAPI_CallUndoableCommand", Rule::Command,
         [](T& t) { t.CallUndoableCommand("undo", T::Command([] {})); }},
        {"CallCommand", "TVAPI_CallCommand", Rule::Command, [](T& t) { t.CallCommand("command", [] {}); }},
        {"GetApplicationInfo", "TVAPI_Environment:APPL", Rule::Standard, [](T& t) { t.GetApplicationInfo(); }},
        {"GetProjectInfo", "TVAPI_Environment:PROJ", Rule::Standard, [](T& t) { t.GetProjectInfo(projectInfo); }},
        {"Selection_Get", "TVAPI_Selection_Get", Rule::Standard,
         [](T& t) { t.Selection_Get(false, false, API_NoRelativePos); }},
        {"Element_DeselectAll", "TVAPI_Element_DeselectAll", Rule::Standard, [](T& t) { t.Element_DeselectAll(); }},
        {"Element_Select", "TVAPI_Element_Select", Rule::Standard, [](T& t) { t.Element_Select({}, true); }},
        {"Interface", "TVAPI_Interface", Rule::Standard,
         [](T& t) { t.Interface(APIIo_IsProgressCancelledID, nullptr, nullptr, nullptr, nullptr, nullptr); }},
        {"Element_Filter", "TVAPI_Element_Filter", Rule::Unchecked, [](T& t) { t.Element_Filter(kSomeGuid, 0); }},
        {"GetHierarchicalElementOwner", "TVAPI_Goodies:GHEO", Rule::Standard,
         [](T& t) { t.GetHierarchicalElementOwner(kSomeGuid, API_RootHierarchicalOwner); }},
        {"Classification_CreateClassificationSystem", "TVAPI_Classification_CreateClassificationSystem",
         Rule::Classification, [](T& t) { t.Classification_CreateClassificationSystem(system); }},
        {"Classification_GetClassificationSystems", "TVAPI_Classification_GetClassificationSystems",
         Rule::Classification, [](T& t) { t.Classification_GetClassificationSystems(); }},
        {"Classification_GetClassificationSystem", "TVAPI_Classification_GetClassificationSystem", Rule::Classification,
         [](T& t) { t.Classification_GetClassificationSystem(kSomeGuid); }},
        {"Classification_ChangeClassificationSystem", "TVAPI_Classification_ChangeClassificationSystem",
         Rule::Classification, [](T& t) { t.Classification_ChangeClassificationSystem(system); }},
        {"Classification_DeleteClassificationSystem", "TVAPI_Classification_DeleteClassificationSystem",
         Rule::Classification, [](T& t) { t.Classification_DeleteClassificationSystem(kSomeGuid); }},
        {"Classification_GetClassificationSystemRootItems", "TVAPI_Classification_GetClassificationSystemRootItems",
         Rule::Classification, [](T& t) { t.Classification_GetClassificationSystemRootItems(kSomeGuid); }},
        {"Classification_CreateClassificationItem", "TVAPI_Classification_CreateClassificationItem",
         Rule::Classification,
         [](T& t) { t.Classification_CreateClassificationItem(item, kSomeGuid, PK::NULLGuid, PK::NULLGuid); }},
        {"Classification_GetClassificationItemSystem", "TVAPI_Classification_GetClassificationItemSystem",
         Rule::Classification, [](T& t) { t.Classification_GetClassificationItemSystem(kSomeGuid); }},
        {"Classification_GetClassificationItemChildren", "TVAPI_Classification_GetClassificationItemChildren",
         Rule::Classification, [](T& t) { t.Classification_GetClassificationItemChildren(kSomeGuid); }},
        {"Classification_GetClassificationItem", "TVAPI_Classification_GetClassificationItem", Rule::Classification,
         [](T& t) { t.Classification_GetClassificationItem(item); }},
        {"Element_GetElemList", "TVAPI_Element_GetElemList", Rule::Standard,
         [](T& t) { t.Element_GetElemList(guids, API_WallID, 0, APIVarId_Generic, PK::NULLGuid); }},
        {"Element_GetHeader", "TVAPI_Element_GetHeader", Rule::Standard, [](T& t) { t.Element_GetHeader(head, 0); }},
        {"Element_Get", "TVAPI_Element_Get", Rule::Standard, [](T& t) { t.Element_Get(kSomeGuid, element, 0); }},
        {"Element_AddClassificationItem", "TVAPI_Element_AddClassificationItem", Rule::Standard,
         [](T& t) { t.Element_AddClassificationItem(kSomeGuid, kSomeGuid); }},
        {"Element_RemoveClassificationItem", "TVAPI_Element_RemoveClassificationItem", Rule::Standard,
         [](T& t) { t.Element_RemoveClassificationItem(kSomeGuid, kSomeGuid); }},
        {"Element_GetClassificationInSystem", "TVAPI_Element_GetClassificationInSystem", Rule::Standard,
         [](T& t) { t.Element_GetClassificationInSystem(kSomeGuid, kSomeGuid); }},
        {"Element_GetElementsWithClassification", "TVAPI_Element_GetElementsWithClassification", Rule::Standard,
         [](T& t) { t.Element_GetElementsWithClassification(kSomeGuid); }},
        {"Element_IsPropertyDefinitionAvailable", "TVAPI_Element_IsPropertyDefinitionAvailable", Rule::Unchecked,
         [](T& t) { t.Element_IsPropertyDefinitionAvailable(kSomeGuid, kSomeGuid); }},
        {"Element_SetProperties", "TVAPI_Element_SetProperties", Rule::Standard,
         [](T& t) { t.Element_SetProperties(kSomeGuid, {}); }},
        {"Element_GetPropertyValuesByGuid", "TVAPI_Element_GetPropertyValuesByGuid", Rule::Standard,
         [](T& t) { t.Element_GetPropertyValuesByGuid(kSomeGuid, {}); }},
        {"ElementList_ModifyPropertyValue", "TVAPI_ElementList_ModifyPropertyValue", Rule::Standard,
         [](T& t) { t.ElementList_ModifyPropertyValue(API_Property(), {}); }},
        {"Property_CreatePropertyDefinition", "TVAPI_Property_CreatePropertyDefinition", Rule::Property,
         [](T& t) { t.Property_CreatePropertyDefinition(definition); }},
        {"Property_CreatePropertyGroup", "TVAPI_Property_CreatePropertyGroup", Rule::Property,
         [](T& t) { t.Property_CreatePropertyGroup(group); }},
        {"Property_ChangePropertyGroup", "TVAPI_Property_ChangePropertyGroup", Rule::Property,
         [](T& t) { t.Property_ChangePropertyGroup(group); }},
        {"Property_GetPropertyDefinitions", "TVAPI_Property_GetPropertyDefinitions", Rule::Standard,
         [](T& t) { t.Property_GetPropertyDefinitions(kSomeGuid); }},
        {"Property_GetPropertyDefinition", "TVAPI_Property_GetPropertyDefinition", Rule::Standard,
         [](T& t) { t.Property_GetPropertyDefinition(definition); }},
        {"Property_ChangePropertyDefinition", "TVAPI_Property_ChangePropertyDefinition", Rule::Property,
         [](T& t) { t.Property_ChangePropertyDefinition(definition); }},
        {"Property_GetPropertyGroup", "TVAPI_Property_GetPropertyGroup", Rule::Standard,
         [](T& t) { t.Property_GetPropertyGroup(kSomeGuid); }},
        {"Property_GetPropertyGroups", "TVAPI_Property_GetPropertyGroups", Rule::Standard,
         [](T& t) { t.Property_GetPropertyGroups(); }},
        {"Property_DeletePropertyGroup", "TVAPI_Property_DeletePropertyGroup", Rule::Property,
         [](T& t) { t.Property_DeletePropertyGroup(kSomeGuid); }},
        {"ModulData_Store", "TVAPI_ModulData_Store", Rule::Standard, [](T& t) { t.ModulData_Store("name", data); }},
        {"ModulData_Get", "TVAPI_ModulData_Get", Rule::Standard, [](T& t) { t.ModulData_Get("name", data); }},
        {"ModulData_Erase", "TVAPI_ModulData_Store", Rule::Standard, [](T& t) { t.ModulData_Erase("name"); }},
        {"ModulData_GetList", "TVAPI_ModulData_GetList", Rule::Standard, [](T& t) { t.ModulData_GetList(); }},
        {"Do_ZoomToSelected", "TVAPI_Automate:DOOM", Rule::Standard, [](T& t) { t.Do_ZoomToSelected(); }},
        {"ElementSet_Create", "TVAPI_ElementSet_Create", Rule::Standard,
         [](T& t) { t.ElementSet_Create({}, nullptr); }},
        {"ElementSet_Delete", "TVAPI_ElementSet_Delete", Rule::Standard, [](T& t) { t.ElementSet_Delete(kSomeGuid); }},
        {"ElementSet_GetData", "TVAPI_ElementSet_GetData", Rule::Standard,
         [](T& t) { t.ElementSet_GetData(kSomeGuid, guids, nullptr); }},
        {"ElementSet_Identify", "TVAPI_ElementSet_Identify", Rule::Standard,
         [](T& t) { t.ElementSet_Identify(kSomeGuid, guids); }},
        {"TeamworkControl_HasConnection", "TVAPI_TeamworkControl_HasConnection", Rule::Unchecked,
         [](T& t) { t.TeamworkControl_HasConnection(); }},
        {"TeamworkControl_FindLockableObjectSet", "TVAPI_TeamworkControl_FindLockableObjectSet", Rule::Unchecked,
         [](T& t) { t.TeamworkControl_FindLockableObjectSet(T::ObjectSet::ClassificationsAndProperties); }},
        {"TeamworkControl_GetLockableStatus", "TVAPI_TeamworkControl_GetLockableStatus", Rule::Unchecked,
         [](T& t) { t.TeamworkControl_GetLockableStatus(kSomeGuid, nullptr); }},
        {"AddOnObject_CreateUniqueObject", "TVAPI_AddOnObject_CreateUniqueObject", Rule::Standard,
         [](T& t) { t.AddOnObject_CreateUniqueObject("PlanData"); }},
        {"AddOnObject_ModifyObject", "TVAPI_AddOnObject_ModifyObject", Rule::Standard,
         [](T& t) { t.AddOnObject_ModifyObject(kSomeGuid, nullptr); }},
        {"AddOnObject_DeleteObject", "TVAPI_AddOnObject_DeleteObject", Rule::Standard,
         [](T& t) { t.AddOnObject_DeleteObject(kSomeGuid); }},
        {"AddOnObject_GetObjectList", "TVAPI_AddOnObject_GetObjectList", Rule::Standard,
         [](T& t) { t.AddOnObject_GetObjectList(); }},
        {"AddOnObject_GetObjectContent", "TVAPI_AddOnObject_GetObjectContent", Rule::Standard,
         [](T& t) { t.AddOnObject_GetObjectContent(kSomeGuid); }},
        {"AddOnObject_GetUniqueObjectGuidFromName", "TVAPI_AddOnObject_GetUniqueObjectGuidFromName", Rule::Standard,
         [](T& t) { t.AddOnObject_GetUniqueObjectGuidFromName("PlanData"); }},
        {"AddOnObject_ExistsObject", "TVAPI_AddOnObject_ExistsObject", Rule::Standard,
         [](T& t) { t.AddOnObject_ExistsObject(kSomeGuid); }},
        {"AddOnObject_ReserveObject", "TVAPI_AddOnObject_ReserveObjects", Rule::Standard,
         [](T& t) { t.AddOnObject_ReserveObject(kSomeGuid); }},
        {"AddOnObject_ReleaseObject", "TVAPI_AddOnObject_ReleaseObjects", Rule::Standard,
         [](T& t) { t.AddOnObject_ReleaseObject(kSomeGuid); }},
        {"Navigator_GetNavigatorItem", "TVAPI_Navigator:GNIT", Rule::Standard,
         [](T& t) { t.Navigator_GetNavigatorItem(kSomeGuid); }},
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
        if (*op.hostFunction != '\0') TVSim::Faults::FailAlways(op.hostFunction, code);
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

namespace {

// The pure virtual operations the interface declares, read from its header,
// so that an operation added there without a row here fails the test.
std::set<std::string> DeclaredOperations() {
    const char* root = std::getenv("TC_SOURCE_DIR");
    if (root == nullptr) throw std::runtime_error("TC_SOURCE_DIR is not set; run the test through ctest");
    std::ifstream header(std::filesystem::path(root) / "Src" / "Torvel" / "Api" / "Torvel.hpp");
    const std::string text((std::istreambuf_iterator<char>(header)), std::istreambuf_iterator<char>());
    static const std::regex declaration(R"(virtual\s+[^(;~]*?(\w+)\s*\([^;]*=\s*0\s*;)");
    std::set<std::string> names;
    for (auto it = std::sregex_iterator(text.begin(), text.end(), declaration); it != std::sregex_iterator(); ++it)
        names.insert((*it)[1]);
    return names;
}

}  // namespace

TEST_F(TorvelRefusals, EveryOperationTheInterfaceDeclaresHasExactlyOneRow) {
    std::set<std::string> tabled;
    for (const Operation& op : AllOperations()) EXPECT_TRUE(tabled.insert(op.name).second) << "twice: " << op.name;
    const std::set<std::string> declared = DeclaredOperations();
    EXPECT_GT(declared.size(), 60u) << "the header was not read";
    EXPECT_EQ(tabled, declared);
}

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
