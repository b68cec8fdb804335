// Draws the clock's pictures at build time: a C++ source with the pixel
// arrays that is compiled into the program, the icons as PNG files and one
// SVG file for the desktop entry, and enlarged previews for whoever touches
// the artwork.
//
//   morvatel_picgen <PictureData.cpp> <folder for the icon files>

#include "Artwork.h"
#include "Ico.h"
#include "Png.h"

#include "face/FaceLayout.h"

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

namespace {

void WriteArray(std::ofstream& out, const char* name, const Artwork::Picture& picture) {
    out << "\n// " << picture.width << " x " << picture.height << "\n";
    out << "const std::uint32_t " << name << "[] = {";
    char word[16];
    for (std::size_t i = 0; i < picture.pixels.size(); ++i) {
        out << (i % 10 == 0 ? "\n    " : " ");
        std::snprintf(word, sizeof word, "0x%06X,", static_cast<unsigned>(picture.pixels[i]));
        out << word;
    }
    out << "\n};\n";
}

bool WritePng(const std::string& path, const Artwork::Picture& picture) {
    if (Png::WriteFile(path, Png::Encode(picture.width, picture.height, picture.pixels))) {
        return true;
    }
    std::fprintf(stderr, "morvatel_picgen: cannot write %s\n", path.c_str());
    return false;
}

bool WriteText(const std::string& path, const std::string& text) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << text;
    if (out.flush()) {
        return true;
    }
    std::fprintf(stderr, "morvatel_picgen: cannot write %s\n", path.c_str());
    return false;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: morvatel_picgen <PictureData.cpp> <png folder>\n");
        return 2;
    }
    const std::string source = argv[1];
    const std::string folder = argv[2];

    const Artwork::Picture strip = Artwork::DrawGlyphStrip();
    const Artwork::Picture body = Artwork::DrawBody(strip);
    std::vector<Artwork::Picture> icons;
    for (const int size : FaceLayout::kIconSizes) {
        icons.push_back(Artwork::DrawIcon(size));
    }

    // Written under another name and renamed, so an interrupted build never
    // leaves a truncated array behind that would still compile.
    const std::string partial = source + ".part";
    {
        std::ofstream out(partial, std::ios::trunc);
        out << "// Written by morvatel_picgen at build time; edit tools/picgen instead.\n"
               "#include \"face/PictureData.h\"\n\n"
               "namespace PictureData {\n";
        WriteArray(out, "GlyphStrip", strip);
        WriteArray(out, "Body", body);
        for (const Artwork::Picture& icon : icons) {
            WriteArray(out, ("Icon" + std::to_string(icon.width)).c_str(), icon);
        }
        out << "\n} // namespace PictureData\n";
        if (!out) {
            std::fprintf(stderr, "morvatel_picgen: cannot write %s\n", partial.c_str());
            return 1;
        }
    }
    if (std::rename(partial.c_str(), source.c_str()) != 0) {
        std::fprintf(stderr, "morvatel_picgen: cannot replace %s\n", source.c_str());
        return 1;
    }

    bool ok = true;
    for (const Artwork::Picture& icon : icons) {
        ok = WritePng(folder + "/morvatel-" + std::to_string(icon.width) + ".png", icon) && ok;
    }
    ok = WriteText(folder + "/morvatel.svg", Artwork::DrawIconSvg()) && ok;
    // The Windows program icon, with the small sizes a title bar and a
    // taskbar ask for.
    std::vector<Artwork::Picture> iconFile;
    for (const int size : {16, 24, 32, 48, 64, 256}) {
        const auto drawn = std::find_if(icons.begin(), icons.end(),
                                        [&](const Artwork::Picture& p) { return p.width == size; });
        iconFile.push_back(drawn != icons.end() ? *drawn : Artwork::DrawIcon(size));
    }
    if (!Png::WriteFile(folder + "/morvatel.ico", Ico::Encode(iconFile))) {
        std::fprintf(stderr, "morvatel_picgen: cannot write %s/morvatel.ico\n", folder.c_str());
        ok = false;
    }
    ok = WritePng(folder + "/preview-strip.png", Artwork::Enlarge(strip, 8)) && ok;
    ok = WritePng(folder + "/preview-body.png", Artwork::Enlarge(body, 8)) && ok;
    ok = WritePng(folder + "/preview-face.png",
                  Artwork::Enlarge(Artwork::ComposeFace(body, strip, "2359", true), 8)) &&
         ok;
    ok = WritePng(folder + "/preview-icon-32.png", Artwork::Enlarge(icons.front(), 8)) && ok;
    return ok ? 0 : 1;
}
