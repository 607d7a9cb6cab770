// HandleTable: the reference counts behind the raw handles the C entry points
// hand out. A handle stays valid while its count is above zero; unknown or
// released handles are refused instead of being dereferenced.
#pragma once

#include "platform/win/WinTypes.h"

#include <map>
#include <memory>
#include <mutex>

namespace frametide::avi {

template <typename Object> class HandleTable {
public:
    Object *Add(std::shared_ptr<Object> object)
    {
        std::lock_guard lock(m_mutex);
        Object *handle = object.get();
        m_entries[handle] = {std::move(object), 1};
        return handle;
    }

    std::shared_ptr<Object> Find(Object *handle)
    {
        std::lock_guard lock(m_mutex);
        auto found = m_entries.find(handle);
        return found == m_entries.end() ? nullptr : found->second.object;
    }

    // The count left; at zero the table lets go of the object.
    ULONG Release(Object *handle)
    {
        std::shared_ptr<Object> last; // destroyed outside the lock: completing a file takes time
        std::lock_guard lock(m_mutex);
        auto found = m_entries.find(handle);
        if (found == m_entries.end())
            return 0;
        const ULONG left = --found->second.references;
        if (left == 0) {
            last = std::move(found->second.object);
            m_entries.erase(found);
        }
        return left;
    }

private:
    struct Entry {
        std::shared_ptr<Object> object;
        ULONG references = 0;
    };
    std::mutex m_mutex;
    std::map<Object *, Entry> m_entries;
};

} // namespace frametide::avi
