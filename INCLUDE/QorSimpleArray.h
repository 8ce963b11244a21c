// QorSimpleArray.h: CQorSimpleArray<T>, a growable array whose storage comes from realloc and doubles
// when full (1, 2, 4, 8, ... slots). Elements are moved byte-wise when the storage moves, so T must hold
// no pointer into itself (CQorString holds none).
#pragma once

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <new>

template <class T> class CQorSimpleArray {
public:
    CQorSimpleArray() = default;
    CQorSimpleArray(const CQorSimpleArray &other) { CopyFrom(other); }
    CQorSimpleArray &operator=(const CQorSimpleArray &other)
    {
        if (this != &other) {
            RemoveAll();
            CopyFrom(other);
        }
        return *this;
    }
    ~CQorSimpleArray() { RemoveAll(); }

    int GetSize() const { return m_nUsed; }
    T &operator[](int index) { return m_pElements[index]; } // no bounds test: 0 <= index < GetSize()
    const T &operator[](int index) const { return m_pElements[index]; }
    T *GetData() const { return m_pElements; }

    // Appends a copy; false, with the array unchanged, when the storage cannot grow.
    bool Add(const T &value)
    {
        if (m_nUsed == m_nAllocated) {
            T copy(value); // `value` may live in the storage that is about to move
            if (!Grow())
                return false;
            new (m_pElements + m_nUsed) T(copy);
        } else {
            new (m_pElements + m_nUsed) T(value);
        }
        ++m_nUsed;
        return true;
    }

    // The index of the first element equal to `value`, or -1.
    int Find(const T &value) const
    {
        for (int i = 0; i < m_nUsed; ++i)
            if (m_pElements[i] == value)
                return i;
        return -1;
    }

    // Removes the element at `index`; the later ones move down. False for an index outside the array.
    bool RemoveAt(int index)
    {
        if (index < 0 || index >= m_nUsed)
            return false;
        m_pElements[index].~T();
        std::memmove(static_cast<void *>(m_pElements + index), static_cast<const void *>(m_pElements + index + 1),
                     (size_t)(m_nUsed - index - 1) * sizeof(T));
        --m_nUsed;
        return true;
    }

    // Removes the first element equal to `value`; false when there is none.
    bool Remove(const T &value) { return RemoveAt(Find(value)); }

    // Destroys every element in place, frees the storage and sets both counts to 0.
    void RemoveAll()
    {
        for (int i = 0; i < m_nUsed; ++i)
            m_pElements[i].~T();
        std::free(static_cast<void *>(m_pElements));
        m_pElements = nullptr;
        m_nUsed = 0;
        m_nAllocated = 0;
    }

protected:
    T *m_pElements = nullptr;  // storage from realloc; null when nothing is allocated
    int32_t m_nUsed = 0;       // elements
    int32_t m_nAllocated = 0;  // slots

private:
    bool Grow()
    {
        int32_t slots = m_nAllocated == 0 ? 1 : 2 * m_nAllocated;
        if (m_nAllocated > INT32_MAX / 2 || (size_t)slots > SIZE_MAX / sizeof(T))
            return false;
        void *storage = std::realloc(static_cast<void *>(m_pElements), (size_t)slots * sizeof(T));
        if (!storage)
            return false;
        m_pElements = static_cast<T *>(storage);
        m_nAllocated = slots;
        return true;
    }

    void CopyFrom(const CQorSimpleArray &other)
    {
        for (int i = 0; i < other.m_nUsed && Add(other.m_pElements[i]); ++i) {
        }
    }
};
