#pragma once
// Elements that refused to be associated with a clause, or to be
// disassociated from it, all in the same way during one run. Fixing repeats
// that operation for the elements still listed; whatever still fails comes
// back as a newer issue, which takes those elements out of this one.
#include <iosfwd>
#include <tuple>

#include "Model/Issue/ElementsAssociationBase.hpp"
#include "Model/Issue/ElementsCollectionBuilder.hpp"
#include "Model/Issue/Kind.hpp"

namespace TessaryConnect::Model::Issue {

class ElementsAssociation : public Kind<ElementsAssociation, ElementsAssociationBase, ElementsAssociationBase> {
public:
    // Stored as Int32; even values are disassociation failures.
    enum class Type : PK::Int32 {
        AssocUnknown = 1,
        DisassocUnknown = 2,
        AssocNoTeamworkRight = 3,
        DisassocNoTeamworkRight = 4,
        AssocOnLockedLayer = 5,
        DisassocOnLockedLayer = 6,
        AssocLockedElement = 7,
        DisassocLockedElement = 8,
        AssocOnInvisibleLayer = 9,
        DisassocOnInvisibleLayer = 10,
        AssocIsHotlink = 11,
        AssocNotSuitable = 12,
    };

    // An object to be read.
    ElementsAssociation();
    // Severity Error for the unknown failures, Warning for the others.
    ElementsAssociation(Type type, const PK::UniString& targetVirtualType, PK::Array<PK::Guid> elements,
                        const Api::WindowId& windowId);

    Type GetType() const { return _type; }
    static bool IsDisassociation(Type type);

    PK::UniString GetString(const ConnectionWithSpecification& connection) const override;
    bool IsFixable() const override { return true; }
    void Fix(ConnectionWithSpecification& connection) override;
    void DumpInner(std::ostream& os) const override;

private:
    friend Kind;
    // Takes its elements out of an older element issue of either sort
    // (association or property update); an empty one is dropped.
    static constexpr KindTraits traits{
        "Model::Issue::ElementsAssociation", "d4dcecc7-090e-4d0d-9001-efa021fcc599", {true, false}};
    static constexpr auto Fields() { return std::tuple{&ElementsAssociation::_type}; }

    Type _type = Type::AssocUnknown;
};

std::ostream& operator<<(std::ostream& os, ElementsAssociation::Type type);

using ElementsAssociationCollectionBuilder = ElementsCollectionBuilder<ElementsAssociation>;

}  // namespace TessaryConnect::Model::Issue

TC_OSTREAM_FORMATTER(TessaryConnect::Model::Issue::ElementsAssociation::Type);
