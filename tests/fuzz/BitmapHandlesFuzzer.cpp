// Feeds the bitmap form of the writer, and the GDI calls behind it, arbitrary
// handles (live, freed, forged) and headers. Nothing may crash or reach
// outside a buffer; a handle that is not a live bitmap is only ever refused.
#include "movie/AviFromBitmaps.h"
#include "platform/win/VclBitmap.h"
#include "platform/win/WinGdi.h"
#include "tests/fuzz/FuzzInput.h"

#include <QDir>
#include <QFile>

#include <cstdlib>
#include <memory>
#include <unistd.h>
#include <vector>

namespace {

std::unique_ptr<Vcl::TBitmap> MakeBitmap(FuzzInput &in)
{
    auto bitmap = std::make_unique<Vcl::TBitmap>();
    bitmap->SetWidth(static_cast<int>(in.Pick(40)) - 2);
    bitmap->SetHeight(static_cast<int>(in.Pick(40)) - 2);
    bitmap->SetPixelFormat(Vcl::pf32bit);
    for (int row = 0; row < bitmap->Height(); ++row)
        std::fill_n(bitmap->ScanLine(row), bitmap->Width() * 4, static_cast<BYTE>(row));
    return bitmap;
}

// A handle: a live bitmap's, a freed one's, or made up.
HBITMAP PickHandle(FuzzInput &in, const std::vector<std::unique_ptr<Vcl::TBitmap>> &live, HBITMAP freed)
{
    switch (in.Pick(4)) {
    case 0:
        return live.empty() ? nullptr : live[in.Pick(static_cast<std::uint32_t>(live.size()))]->Handle();
    case 1:
        return freed;
    case 2:
        return nullptr;
    default:
        return reinterpret_cast<HBITMAP>(static_cast<std::uintptr_t>(in.Take<std::uint64_t>()));
    }
}

void QueryHeaders(FuzzInput &in, HBITMAP handle)
{
    BITMAP description{};
    GetObjectW(handle, static_cast<int>(in.Pick(64)), in.Pick(4) ? &description : nullptr);

    BITMAPINFO info{};
    info.bmiHeader.biSize = in.Pick(4) ? 40 : in.Take<DWORD>();
    info.bmiHeader.biBitCount = static_cast<WORD>(in.Pick(3) ? 0 : in.Take<WORD>());
    if (GetDIBits(nullptr, handle, 0, 0, nullptr, &info, DIB_RGB_COLORS) == 0)
        return;
    // Rows go into a buffer exactly as large as the header the platform filled says.
    info.bmiHeader.biBitCount = static_cast<WORD>(in.Pick(3) ? info.bmiHeader.biBitCount : in.Take<WORD>());
    const std::int64_t bytes =
        DibRowBytes(info.bmiHeader.biWidth, info.bmiHeader.biBitCount) * std::abs(info.bmiHeader.biHeight);
    if (bytes <= 0 || bytes > (1 << 22))
        return;
    std::vector<BYTE> rows(static_cast<size_t>(bytes));
    GetDIBits(nullptr, handle, in.Pick(50), in.Pick(50), rows.data(), &info, DIB_RGB_COLORS);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    FuzzInput in(data, size);
    std::vector<std::unique_ptr<Vcl::TBitmap>> live;
    for (std::uint32_t n = in.Pick(3) + 1; n > 0; --n)
        live.push_back(MakeBitmap(in));
    HBITMAP freed = MakeBitmap(in)->Handle(); // its bitmap is gone at once

    const QString name = QDir::tempPath() + QStringLiteral("/frametide-fuzz-bitmaps-%1.avi").arg(::getpid());
    {
        std::unique_ptr<TAviFromBitmaps> movie(
            TAviFromBitmaps::CreateAviFile(nullptr, name, mmioFOURCC('D', 'I', 'B', ' '), 30, 1));
        for (int step = 0; step < 6 && !in.Empty(); ++step) {
            const HBITMAP handle = PickHandle(in, live, freed);
            if (in.Pick(2)) {
                QueryHeaders(in, handle);
                continue;
            }
            const qint32 result = movie->AppendNewFrame(handle);
            if (result != S_OK && result >= 0)
                std::abort(); // a refusal must be negative
        }
    }
    QFile::remove(name);
    return 0;
}
