#pragma once
// The add-on's string resources. A String names one string: a string list and
// the index of the string within it (counted from 1). Each list the code reads
// from has its id here and an enumeration of the items it reads, so a text is
// asked for by name (Of(UndoName::Connect)) and no list id is written twice.
#include "PK/Types.hpp"

namespace TessaryConnect::Util::Resource {

struct String {
    PK::Int32 resID = 0;
    PK::Int32 index = 0;
};

// The palette's titles and row templates.
inline constexpr PK::Int32 paletteTextsResID = 32510;
// Texts the model writes into the project or hands to the page.
inline constexpr PK::Int32 modelTextsResID = 32522;
// The names of the undo steps of the add-on's commands.
inline constexpr PK::Int32 undoNamesResID = 32523;
// The texts of the issues.
inline constexpr PK::Int32 issueTextsResID = 32524;
// The display names of the element kinds; Element's table of kinds gives each
// kind its item.
inline constexpr PK::Int32 elementTypeNamesResID = 32525;

enum class PaletteText : PK::Int32 {
    PaletteTitle = 1,
    BrowserPanelTitle = 2,
    IssuesPanelTitle = 3,
    VirtualTypePanelTitle = 4,
    VirtualTypeRow = 5,
    UnassociatedPanelTitle = 6,
    UnassociatedRow = 7,
    ConnectionEntry = 8,
    NoConnectionEntry = 9,
};

enum class ModelText : PK::Int32 {
    PropertyGroupName = 1,
    PropertyDefinitionName = 2,
    PropertyDefinitionDescription = 3,
    PropertyDefaultValue = 4,
    UnassociatedSelectionTitle = 5,
    UnassociatedSelectionSubtitle = 6,
    OneClauseSelectionTitle = 7,
    OneClauseSelectionSubtitle = 8,
    SeveralClausesSelectionTitle = 9,
    SeveralClausesSelectionSubtitle = 10,
    VirtualTypeTitle = 11,
    VirtualTypeSubtitle = 12,
    VirtualTypeCategory = 13,
};

enum class UndoName : PK::Int32 {
    Connect = 1,
    Disconnect = 2,
    UpdateTitles = 3,
    UpdateElementProperties = 4,
    Associate = 5,
    Disassociate = 6,
    MergePropertyGroups = 7,
};

enum class IssueText : PK::Int32 {
    AssociationUnknown = 1,
    DisassociationUnknown = 2,
    AssociationNotSuitable = 3,
    AssociationIsHotlink = 4,
    AssociationNoTeamworkRight = 5,
    DisassociationNoTeamworkRight = 6,
    AssociationOnLockedLayer = 7,
    DisassociationOnLockedLayer = 8,
    AssociationLockedElement = 9,
    DisassociationLockedElement = 10,
    AssociationOnHiddenLayer = 11,
    DisassociationOnHiddenLayer = 12,
    PropertiesUnknown = 13,
    PropertiesNoTeamworkRight = 14,
    PropertiesOnLockedLayer = 15,
    PropertiesLockedElement = 16,
    PropertiesOnHiddenLayer = 17,
    MissingClassificationItem = 18,
    TitlesNotWritten = 22,
    UnknownError = 23,
};

// Objects stand outside Element's table of kinds.
enum class ElementTypeName : PK::Int32 { Object = 8 };

constexpr String Of(PaletteText item) { return {paletteTextsResID, static_cast<PK::Int32>(item)}; }
constexpr String Of(ModelText item) { return {modelTextsResID, static_cast<PK::Int32>(item)}; }
constexpr String Of(UndoName item) { return {undoNamesResID, static_cast<PK::Int32>(item)}; }
constexpr String Of(IssueText item) { return {issueTextsResID, static_cast<PK::Int32>(item)}; }
constexpr String Of(ElementTypeName item) { return {elementTypeNamesResID, static_cast<PK::Int32>(item)}; }

}  // namespace TessaryConnect::Util::Resource
