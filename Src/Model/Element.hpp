#pragma once
// One host element as the model sees it: its kind, and whether the user may
// take it into an association now. The header is read once, at construction
// (for a section element, the header of the model element it stands for);
// usability and edit status ask the host on every call.
//
// The element kinds the add-on classifies live in one static table, each
// (type, variation) row with the index of its display name in the list of
// element-type names; objects are decided by their place in the host's
// element hierarchy.
#include <functional>
#include <iosfwd>

#include "PK/Array.hpp"
#include "PK/Guid.hpp"
#include "PK/HashTable.hpp"
#include "PK/UniString.hpp"
#include "TVAPI/APIRecords.hpp"
#include "Util/Formatters.hpp"
#include "Util/Resource.hpp"

namespace TessaryConnect::Api {
class Torvel;
}

namespace TessaryConnect::Model {

class Element {
public:
    // A kind of element: host type and variation, compared and hashed by value.
    struct Type {
        API_ElemTypeID typeID;
        API_ElemVariationID variationID;

        Type(API_ElemTypeID typeID, API_ElemVariationID variationID) : typeID(typeID), variationID(variationID) {}
        friend bool operator==(const Type&, const Type&) = default;
        PK::UInt32 GenerateHashValue() const {
            return (static_cast<PK::UInt32>(typeID) + 100u) ^ static_cast<PK::UInt32>(variationID);
        }
        // The type's display name; "<unknown type>" for a kind outside the table.
        PK::UniString GetName(Api::Torvel& tv) const;
    };

    enum class Usability : PK::Int32 {
        NotExists = 0,
        NotInMyWorkspace = 1,
        OnInvisibleLayer = 2,
        OnLockedLayer = 3,
        ElementLocked = 4,
        NotClassifyableHotlink = 5,
        NotClassifyableByAddon = 6,
        Editable = 7,
    };

    enum class EditableStatus : PK::Int32 {
        NotExists = 0,
        NotInMyWorkspace = 1,
        LockedOrOnLockedLayer = 2,
        Editable = 3,
    };

    // Reads the header; host errors (an unknown GUID among them) are thrown.
    Element(Api::Torvel& tv, const PK::Guid& guid);

    // The GUID given at construction.
    const PK::Guid& GetGuid() const { return _guid; }
    const API_Elem_Head& GetHead() const { return _head; }
    Type GetType() const { return {_head.typeID, _head.variationID}; }
    // The element the host is asked about: for a section element, the model
    // element it stands for.
    const PK::Guid& GetTrueGuid() const { return _head.guid; }
    PK::Int32 GetFloorIndex() const { return _head.floorInd; }

    EditableStatus GetEditStatus(Api::Torvel& tv) const;
    Usability GetUsability(Api::Torvel& tv) const;
    // Usable are elements that exist and are of a kind the add-on classifies,
    // whatever keeps the user from changing them now.
    bool IsUsableForAssociation(Api::Torvel& tv) const;
    // As IsUsableForAssociation, and listed among the elements visible in a
    // window of that type.
    bool IsUsableForAssociationAndVisible(Api::Torvel& tv, API_WindowTypeID windowType) const;
    bool IsTypeFilteredOut() const;

    // Filter bits that list the elements visible in a window of that type.
    static PK::UInt32 GetVisibilityFilter(API_WindowTypeID windowType);
    // The number of table rows plus one.
    static PK::UInt32 IncludedMainTypeCount();
    // Each type of the table in table order, then objects, then section elements.
    static void EnumerateIncludedMainTypes(const std::function<void(API_ElemTypeID)>& function);
    // Makes these elements, with their owners in the element hierarchy, the
    // selection; elements deleted meanwhile are left out. Answers how many of
    // the given elements were selected.
    static PK::USize Select(Api::Torvel& tv, const PK::Array<PK::Guid>& elements);

private:
    using Variations = PK::HashTable<API_ElemVariationID, Util::Resource::String>;
    // Looks a type's rows up without copying them.
    class TypeContainer : public PK::HashTable<API_ElemTypeID, Variations> {
    public:
        using HashTable::Get;
        bool Get(API_ElemTypeID typeID, const Variations** variations) const {
            *variations = GetPtr(typeID);
            return *variations != nullptr;
        }
    };
    static const TypeContainer& _GetTypeContainer();

    PK::Guid _guid;
    API_Elem_Head _head;
};

std::ostream& operator<<(std::ostream& os, const Element& element);
std::ostream& operator<<(std::ostream& os, const Element::Type& type);
std::ostream& operator<<(std::ostream& os, Element::Usability usability);
std::ostream& operator<<(std::ostream& os, Element::EditableStatus status);

}  // namespace TessaryConnect::Model

template <>
struct std::hash<TessaryConnect::Model::Element::Type> {
    std::size_t operator()(const TessaryConnect::Model::Element::Type& type) const noexcept {
        return type.GenerateHashValue();
    }
};

TC_OSTREAM_FORMATTER(TessaryConnect::Model::Element);
TC_OSTREAM_FORMATTER(TessaryConnect::Model::Element::Type);
TC_OSTREAM_FORMATTER(TessaryConnect::Model::Element::Usability);
TC_OSTREAM_FORMATTER(TessaryConnect::Model::Element::EditableStatus);
