#pragma once
// Elements associated with a clause that refused to take the clause's
// current property values, all in the same way during one write run. Every
// write run names the 3D window as its view. Fixing writes the clause's
// values again into all its elements whose values differ.
#include <iosfwd>
#include <tuple>

#include "Model/Issue/ElementsAssociationBase.hpp"
#include "Model/Issue/ElementsCollectionBuilder.hpp"
#include "Model/Issue/Kind.hpp"

namespace TessaryConnect::Model::Issue {

class UpdateElementsProperties : public Kind<UpdateElementsProperties, ElementsAssociationBase> {
public:
    // Stored as Int32.
    enum class Type : PK::Int32 {
        Unknown = 1,
        NoTeamworkRight = 2,
        LockedElement = 3,
        OnLockedLayer = 4,
        OnInvisibleLayer = 5,
    };

    // An object to be read, of type Unknown.
    UpdateElementsProperties();
    // Severity Error for Unknown, Warning for the others.
    UpdateElementsProperties(Type type, const PK::UniString& targetVirtualType, PK::Array<PK::Guid> elements,
                             const Api::WindowId& windowId);

    Type GetType() const { return _type; }

    PK::UniString GetString(const ConnectionWithSpecification& connection) const override;
    bool IsFixable() const override { return true; }
    void Fix(ConnectionWithSpecification& connection) override;
    // The base issue's fields and the type only.
    void DumpInner(std::ostream& os) const override;

private:
    friend Kind;
    // Takes its elements out of an older property update issue; an
    // association issue is left alone, and so is an empty one.
    static constexpr KindTraits traits{
        "Model::Issue::UpdateElementsProperties", "18296703-6cb3-4a83-90c9-d3c8be12d1f8", {}};
    static constexpr auto Fields() { return std::tuple{&UpdateElementsProperties::_type}; }

    Type _type = Type::Unknown;
};

std::ostream& operator<<(std::ostream& os, UpdateElementsProperties::Type type);

using UpdateElementsPropertiesCollectionBuilder = ElementsCollectionBuilder<UpdateElementsProperties>;

}  // namespace TessaryConnect::Model::Issue

TC_OSTREAM_FORMATTER(TessaryConnect::Model::Issue::UpdateElementsProperties::Type);
