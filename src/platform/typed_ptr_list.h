#pragma once

#include <algorithm>
#include <list>

// An owning list of pointers: what it holds it deletes when emptied or destroyed. Removing one element
// with Remove hands it back to the caller undeleted.
template <typename T> class CKvSafeTypedPtrList
{
public:
    using iterator = typename std::list<T*>::iterator;
    using const_iterator = typename std::list<T*>::const_iterator;

    CKvSafeTypedPtrList() = default;
    CKvSafeTypedPtrList(const CKvSafeTypedPtrList&) = delete;
    CKvSafeTypedPtrList& operator=(const CKvSafeTypedPtrList&) = delete;
    virtual ~CKvSafeTypedPtrList() { RemoveAll(); }

    void AddTail(T* element) { m_items.push_back(element); }
    // Takes the element out without deleting it; false when it is not in the list.
    bool Remove(T* element)
    {
        const auto at = std::find(m_items.begin(), m_items.end(), element);
        if (at == m_items.end()) {
            return false;
        }
        m_items.erase(at);
        return true;
    }
    void RemoveAll()
    {
        for (T* element : m_items) {
            delete element;
        }
        m_items.clear();
    }

    int GetCount() const { return static_cast<int>(m_items.size()); }
    bool IsEmpty() const { return m_items.empty(); }
    T* GetHead() const { return m_items.empty() ? nullptr : m_items.front(); }

    iterator begin() { return m_items.begin(); }
    iterator end() { return m_items.end(); }
    const_iterator begin() const { return m_items.begin(); }
    const_iterator end() const { return m_items.end(); }

private:
    std::list<T*> m_items;
};
