// Memory device contexts. DIBs of 24 and 32 bits need nothing from a context,
// so a context is only a live number: DeleteDC refuses one it did not hand out.
#include "platform/win/WinGdi.h"

#include <cstdint>
#include <mutex>
#include <unordered_set>

namespace {

struct ContextTable {
    std::mutex lock;
    std::unordered_set<std::uintptr_t> live;
    std::uintptr_t next = 0x20000;
};

ContextTable &TheContexts()
{
    static ContextTable table;
    return table;
}

} // namespace

HDC CreateCompatibleDC(HDC)
{
    ContextTable &table = TheContexts();
    std::lock_guard guard(table.lock);
    const std::uintptr_t number = table.next;
    table.next += 4;
    table.live.insert(number);
    return reinterpret_cast<HDC>(number);
}

BOOL DeleteDC(HDC hdc)
{
    ContextTable &table = TheContexts();
    std::lock_guard guard(table.lock);
    return table.live.erase(reinterpret_cast<std::uintptr_t>(hdc)) == 1 ? TRUE : FALSE;
}
