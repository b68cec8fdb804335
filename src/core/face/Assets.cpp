#include "face/Assets.h"

#include "face/FaceLayout.h"
#include "face/PictureData.h"

#include <array>
#include <cstddef>
#include <cstdint>

namespace {

PixelImage FromArray(int width, int height, const std::uint32_t* data) {
    PixelImage image(width, height);
    image.pixels.assign(data, data + image.pixels.size());
    return image;
}

} // namespace

const PixelImage& GlyphStrip() {
    static const PixelImage strip =
        FromArray(FaceLayout::kStripWidth, FaceLayout::kStripHeight, PictureData::GlyphStrip);
    return strip;
}

const PixelImage& BodyPicture() {
    static const PixelImage body =
        FromArray(FaceLayout::kBodyWidth, FaceLayout::kBodyHeight, PictureData::Body);
    return body;
}

std::span<const int> IconSizes() {
    return FaceLayout::kIconSizes;
}

const PixelImage& IconPicture(int size) {
    static const std::array<PixelImage, 5> icons = {
        FromArray(32, 32, PictureData::Icon32),    FromArray(48, 48, PictureData::Icon48),
        FromArray(64, 64, PictureData::Icon64),    FromArray(128, 128, PictureData::Icon128),
        FromArray(256, 256, PictureData::Icon256),
    };
    static_assert(std::size(FaceLayout::kIconSizes) == 5);
    static const PixelImage none;
    for (std::size_t i = 0; i < icons.size(); ++i) {
        if (FaceLayout::kIconSizes[i] == size) {
            return icons[i];
        }
    }
    return none;
}
