// Live bitmap handles. Numbers are never reused, so a handle outliving its
// bitmap cannot come to name another one.
#include "platform/win/GdiBitmapTable.h"

#include <mutex>
#include <unordered_map>

namespace Gdi {
namespace {

struct Table {
    std::mutex lock;
    std::unordered_map<std::uintptr_t, const DibPixels *> live;
    std::uintptr_t next = 0x10000;
};

Table &TheTable()
{
    static Table table;
    return table;
}

} // namespace

HBITMAP RegisterBitmap(const DibPixels *pixels)
{
    Table &table = TheTable();
    std::lock_guard guard(table.lock);
    const std::uintptr_t number = table.next;
    table.next += 4;
    table.live.emplace(number, pixels);
    return reinterpret_cast<HBITMAP>(number);
}

void UnregisterBitmap(HBITMAP handle)
{
    Table &table = TheTable();
    std::lock_guard guard(table.lock);
    table.live.erase(reinterpret_cast<std::uintptr_t>(handle));
}

const DibPixels *FindBitmap(HGDIOBJ handle)
{
    Table &table = TheTable();
    std::lock_guard guard(table.lock);
    const auto found = table.live.find(reinterpret_cast<std::uintptr_t>(handle));
    return found == table.live.end() ? nullptr : found->second;
}

} // namespace Gdi
