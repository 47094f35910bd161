#pragma once
// Dynamic array of the class library: a thin, bounds-checked face over std::vector.
#include <algorithm>
#include <initializer_list>
#include <stdexcept>
#include <utility>
#include <vector>

#include "PK/Types.hpp"

namespace PK {

template <typename T>
class Array {
public:
    using value_type = T;
    using iterator = typename std::vector<T>::iterator;
    using const_iterator = typename std::vector<T>::const_iterator;
    static constexpr USize MaxIndex = MaxUSize;

    Array() = default;
    Array(std::initializer_list<T> items) : _items(items) {}
    explicit Array(std::vector<T> items) : _items(std::move(items)) {}
    template <typename It>
    Array(It first, It last) : _items(first, last) {}

    USize GetSize() const { return _items.size(); }
    bool IsEmpty() const { return _items.empty(); }
    void Clear() { _items.clear(); }
    void Reserve(USize n) { _items.reserve(n); }
    void SetSize(USize n) { _items.resize(n); }

    T& operator[](USize i) { return At(i); }
    const T& operator[](USize i) const { return At(i); }
    T& At(USize i) {
        if (i >= _items.size()) throw std::out_of_range("PK::Array index out of range");
        return _items[i];
    }
    const T& At(USize i) const {
        if (i >= _items.size()) throw std::out_of_range("PK::Array index out of range");
        return _items[i];
    }
    T& GetFirst() { return At(0); }
    const T& GetFirst() const { return At(0); }
    T& GetLast() { return At(_items.size() - 1); }
    const T& GetLast() const { return At(_items.size() - 1); }

    void Push(const T& item) { _items.push_back(item); }
    void Push(T&& item) { _items.push_back(std::move(item)); }
    template <typename... Args>
    T& PushNew(Args&&... args) { return _items.emplace_back(std::forward<Args>(args)...); }
    void Append(const Array& other) { _items.insert(_items.end(), other._items.begin(), other._items.end()); }
    void Append(Array&& other) {
        _items.insert(_items.end(), std::make_move_iterator(other._items.begin()),
                      std::make_move_iterator(other._items.end()));
    }
    void Insert(USize index, T item) {
        if (index > _items.size()) throw std::out_of_range("PK::Array insert position out of range");
        _items.insert(_items.begin() + static_cast<std::ptrdiff_t>(index), std::move(item));
    }
    T Pop() {
        T last = std::move(GetLast());
        _items.pop_back();
        return last;
    }
    void Delete(USize index) {
        if (index >= _items.size()) throw std::out_of_range("PK::Array delete position out of range");
        _items.erase(_items.begin() + static_cast<std::ptrdiff_t>(index));
    }
    void DeleteLast() { Delete(_items.size() - 1); }
    // Removes every item equal to value; returns how many went.
    USize DeleteAll(const T& value) {
        auto it = std::remove(_items.begin(), _items.end(), value);
        USize removed = static_cast<USize>(_items.end() - it);
        _items.erase(it, _items.end());
        return removed;
    }
    template <typename Pred>
    USize DeleteIf(Pred pred) {
        auto it = std::remove_if(_items.begin(), _items.end(), pred);
        USize removed = static_cast<USize>(_items.end() - it);
        _items.erase(it, _items.end());
        return removed;
    }

    USize FindFirst(const T& value) const {
        auto it = std::find(_items.begin(), _items.end(), value);
        return it == _items.end() ? MaxIndex : static_cast<USize>(it - _items.begin());
    }
    bool Contains(const T& value) const { return FindFirst(value) != MaxIndex; }

    iterator begin() { return _items.begin(); }
    iterator end() { return _items.end(); }
    const_iterator begin() const { return _items.begin(); }
    const_iterator end() const { return _items.end(); }

    const std::vector<T>& AsVector() const { return _items; }

    friend bool operator==(const Array&, const Array&) = default;

private:
    std::vector<T> _items;
};

}  // namespace PK
