#include "Ico.h"

#include "Png.h"

namespace Ico {

namespace {

void Put16(std::vector<std::uint8_t>& out, unsigned value) {
    out.push_back(static_cast<std::uint8_t>(value & 0xFF));
    out.push_back(static_cast<std::uint8_t>((value >> 8) & 0xFF));
}

void Put32(std::vector<std::uint8_t>& out, std::uint32_t value) {
    Put16(out, value & 0xFFFF);
    Put16(out, value >> 16);
}

// BITMAPINFOHEADER, opaque BGRA rows bottom-up, then the AND mask (all
// zero: nothing transparent), whose rows are padded to 32 bits.
std::vector<std::uint8_t> Dib(const Artwork::Picture& picture) {
    const auto width = static_cast<std::uint32_t>(picture.width);
    const auto height = static_cast<std::uint32_t>(picture.height);
    const std::uint32_t maskRow = (width + 31) / 32 * 4;
    std::vector<std::uint8_t> out;
    Put32(out, 40);
    Put32(out, width);
    Put32(out, height * 2); // colour and mask together
    Put16(out, 1);
    Put16(out, 32);
    Put32(out, 0); // BI_RGB
    Put32(out, width * height * 4 + maskRow * height);
    for (int i = 0; i < 4; ++i) {
        Put32(out, 0);
    }
    for (int y = picture.height - 1; y >= 0; --y) {
        for (int x = 0; x < picture.width; ++x) {
            const std::uint32_t rgb = picture.At(x, y);
            out.push_back(static_cast<std::uint8_t>(rgb & 0xFF));
            out.push_back(static_cast<std::uint8_t>((rgb >> 8) & 0xFF));
            out.push_back(static_cast<std::uint8_t>((rgb >> 16) & 0xFF));
            out.push_back(0xFF);
        }
    }
    out.resize(out.size() + maskRow * height, 0);
    return out;
}

} // namespace

std::vector<std::uint8_t> Encode(const std::vector<Artwork::Picture>& pictures) {
    std::vector<std::vector<std::uint8_t>> images;
    for (const Artwork::Picture& p : pictures) {
        images.push_back(p.width >= 256 ? Png::Encode(p.width, p.height, p.pixels) : Dib(p));
    }
    std::vector<std::uint8_t> out;
    Put16(out, 0);
    Put16(out, 1); // an icon
    Put16(out, static_cast<unsigned>(pictures.size()));
    auto offset = static_cast<std::uint32_t>(6 + 16 * pictures.size());
    for (std::size_t i = 0; i < pictures.size(); ++i) {
        // 256 is written as 0, as the field has one byte.
        out.push_back(static_cast<std::uint8_t>(pictures[i].width & 0xFF));
        out.push_back(static_cast<std::uint8_t>(pictures[i].height & 0xFF));
        out.push_back(0); // no palette
        out.push_back(0);
        Put16(out, 1);  // planes
        Put16(out, 32); // bits per pixel
        Put32(out, static_cast<std::uint32_t>(images[i].size()));
        Put32(out, offset);
        offset += static_cast<std::uint32_t>(images[i].size());
    }
    for (const std::vector<std::uint8_t>& image : images) {
        out.insert(out.end(), image.begin(), image.end());
    }
    return out;
}

} // namespace Ico
