#pragma once
// Counted reference of the class library. Copies share one object, which goes
// when the last reference does. Reading through an empty reference throws
// NullReferenceException ("Null reference."), and the checked cast As<U>()
// throws ClassCastException ("Bad cast.") when the object is not a U; an
// empty reference casts to an empty one.
//
//     PK::Ref<DG::JSBase> arg = ...;
//     if (arg == nullptr) ...;                        // no argument at all
//     auto array = arg.As<DG::JSArray>();              // throws on a plain value
//     for (const auto& item : array->GetItemArray())   // throws on an empty array ref
//         ...
#include <cstddef>
#include <memory>
#include <type_traits>
#include <utility>

#include "PK/Exception.hpp"

namespace PK {

// Counting policy of a reference; the only one this library has.
struct Counter {};

template <typename T, typename C = Counter>
class Ref {
public:
    Ref() noexcept = default;
    Ref(std::nullptr_t) noexcept {}  // NOLINT: implicit, like a pointer
    // Takes ownership of a new object.
    explicit Ref(T* owned) : _object(owned) {}

    template <typename U, typename = std::enable_if_t<std::is_convertible_v<U*, T*>>>
    Ref(const Ref<U, C>& other) noexcept : _object(other._object) {}  // NOLINT: upcast
    template <typename U, typename = std::enable_if_t<std::is_convertible_v<U*, T*>>>
    Ref(Ref<U, C>&& other) noexcept : _object(std::move(other._object)) {}  // NOLINT: upcast

    T* operator->() const { return &Deref(); }
    T& operator*() const { return Deref(); }
    // The object, or nullptr; never throws.
    T* Get() const noexcept { return _object.get(); }
    bool IsNull() const noexcept { return _object == nullptr; }
    explicit operator bool() const noexcept { return _object != nullptr; }
    long GetRefCount() const noexcept { return _object.use_count(); }

    // The same object as a U: empty for an empty reference, ClassCastException
    // when the object is of another kind.
    template <typename U>
    Ref<U, C> As() const {
        Ref<U, C> result;
        if (_object == nullptr) return result;
        result._object = std::dynamic_pointer_cast<U>(_object);
        if (result._object == nullptr) throw ClassCastException();
        return result;
    }
    // Whether the reference holds a U (false when empty).
    template <typename U>
    bool Is() const noexcept {
        return dynamic_cast<const U*>(_object.get()) != nullptr;
    }

    friend bool operator==(const Ref& r, std::nullptr_t) noexcept { return r._object == nullptr; }
    template <typename U>
    friend bool operator==(const Ref& a, const Ref<U, C>& b) noexcept {
        return a.Get() == b.Get();
    }

private:
    template <typename, typename>
    friend class Ref;

    T& Deref() const {
        if (_object == nullptr) throw NullReferenceException();
        return *_object;
    }

    std::shared_ptr<T> _object;
};

// A reference to a new T built from args.
template <typename T, typename... Args>
Ref<T> NewRef(Args&&... args) {
    return Ref<T>(new T(std::forward<Args>(args)...));
}

}  // namespace PK
