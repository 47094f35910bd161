#pragma once
// What every concrete issue kind has in common, written once: its class
// registration (version 1.0, the parent's registration as base, ContructNew
// making a default-constructed object), GetClassInfo, Clone, its record (its
// own frame holding its fields, the parent's record nested inside) and the
// start of MergeFrom: nothing to merge with a null older issue or one of
// another kind, and an assertion for an empty one.
//
//   class UnknownError : public Kind<UnknownError> {
//       ...
//   private:
//       friend Kind;
//       static constexpr KindTraits traits{"Model::Issue::UnknownError", "904ab58b-...", {}};
//       static constexpr auto Fields() { return std::tuple{&UnknownError::_hint}; }  // in record order
//       Outcome Absorb(const UnknownError& older) const;  // older is of the kind and not empty
//   };
//
// Older is the class an older issue must have for this kind to merge with it.
#include <memory>
#include <tuple>
#include <type_traits>

#include "Model/Issue/Base.hpp"
#include "Util/Log.hpp"

namespace TessaryConnect::Model::Issue {

// Asks a kind whose default object is a new issue (a fresh GUID and the
// current time) for an object that Read is about to fill instead: the
// registration makes one for every stored record, and the GUID and time it
// would draw are thrown away unread.
struct ToBeRead {
    explicit ToBeRead() = default;
};

struct KindTraits {
    // Both are stored with every record: they never change.
    const char* className;
    const char* classGuid;
    // MergeFrom's answer for an older issue that is already empty.
    Outcome olderEmpty;
};

template <typename Self, typename Parent = Base, typename Older = Self>
class Kind : public Parent {
public:
    static const PK::ClassInfo classInfo;

    Base* Clone() const override { return new Self(self()); }
    std::shared_ptr<Base> CloneShared() const override { return std::make_shared<Self>(self()); }
    const PK::ClassInfo* GetClassInfo() const override { return &classInfo; }

    PKErrCode Write(PK::OChannel& oc) const override {
        return std::apply(
            [&](auto... field) {
                return Base::WriteLevel(
                    oc, classInfo, [&] { return Parent::Write(oc); }, self().*field...);
            },
            Self::Fields());
    }

    PKErrCode Read(PK::IChannel& ic) override {
        return std::apply(
            [&](auto... field) {
                return Base::ReadLevel(
                    ic, classInfo, [&] { return Parent::Read(ic); }, self().*field...);
            },
            Self::Fields());
    }

    Outcome MergeFrom(const std::shared_ptr<Base>& older) override {
        if (older == nullptr) return {};
        if (older->IsEmpty()) {
            TC_ASSERT_FAILED(err, "!older->IsEmpty()");
            return Self::traits.olderEmpty;
        }
        auto* olderOfKind = dynamic_cast<Older*>(older.get());
        if (olderOfKind == nullptr) return {};
        return self().Absorb(*olderOfKind);
    }

protected:
    using Parent::Parent;

private:
    static PK::Object* ContructNew() {
        if constexpr (std::is_constructible_v<Self, ToBeRead>)
            return new Self(ToBeRead{});
        else
            return new Self();
    }
    const Self& self() const { return static_cast<const Self&>(*this); }
    Self& self() { return static_cast<Self&>(*this); }
};

template <typename Self, typename Parent, typename Older>
const PK::ClassInfo Kind<Self, Parent, Older>::classInfo(Self::traits.className, PK::Guid(Self::traits.classGuid),
                                                         PK::ClassVersion(1, 0), &Parent::classInfo,
                                                         &Kind::ContructNew);

}  // namespace TessaryConnect::Model::Issue
