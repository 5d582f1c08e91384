// Converts an XPM image (the C source form compiled into the program) into
// a PNG file, optionally enlarged by a whole factor without smoothing, or
// into an SVG file of the same pixels as squares (the scalable icon: the
// same design at any size, edges kept sharp), for the desktop's icon theme.
// Needs nothing but the C++ library: the PNG is written with uncompressed
// deflate blocks; the SVG joins each row's runs of one colour.
//
//   xpm2png <input.xpm> <output.png> [scale]
//   xpm2png <input.xpm> <output.svg>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

namespace {

struct TRgba {
    std::uint8_t R = 0, G = 0, B = 0, A = 0;
};

// The quoted strings of the C source, in order.
std::vector<std::string> QuotedStrings(const std::string& source)
{
    std::vector<std::string> strings;
    bool inComment = false;
    for (std::size_t i = 0; i < source.size(); ++i) {
        if (inComment) {
            if (source.compare(i, 2, "*/") == 0) {
                inComment = false;
                ++i;
            }
        } else if (source.compare(i, 2, "/*") == 0) {
            inComment = true;
            ++i;
        } else if (source.compare(i, 2, "//") == 0) {
            i = source.find('\n', i);
            if (i == std::string::npos) {
                break;
            }
        } else if (source[i] == '"') {
            std::string text;
            for (++i; i < source.size() && source[i] != '"'; ++i) {
                if (source[i] == '\\' && i + 1 < source.size()) {
                    ++i;
                }
                text += source[i];
            }
            strings.push_back(text);
        }
    }
    return strings;
}

bool ParseColour(std::string text, TRgba& colour)
{
    for (char& c : text) {
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    static const std::map<std::string, TRgba> names = {
        {"none", {0, 0, 0, 0}},         {"black", {0, 0, 0, 255}},       {"white", {255, 255, 255, 255}},
        {"red", {255, 0, 0, 255}},      {"green", {0, 255, 0, 255}},     {"blue", {0, 0, 255, 255}},
        {"yellow", {255, 255, 0, 255}}, {"cyan", {0, 255, 255, 255}},    {"gray", {190, 190, 190, 255}},
        {"grey", {190, 190, 190, 255}}, {"magenta", {255, 0, 255, 255}},
    };
    if (auto found = names.find(text); found != names.end()) {
        colour = found->second;
        return true;
    }
    if (text.size() == 7 && text[0] == '#') {
        unsigned long value = std::strtoul(text.c_str() + 1, nullptr, 16);
        colour = {static_cast<std::uint8_t>(value >> 16), static_cast<std::uint8_t>(value >> 8),
                  static_cast<std::uint8_t>(value), 255};
        return true;
    }
    return false;
}

std::uint32_t Crc32(const std::uint8_t* data, std::size_t size, std::uint32_t crc = 0)
{
    crc = ~crc;
    for (std::size_t i = 0; i < size; ++i) {
        crc ^= data[i];
        for (int bit = 0; bit < 8; ++bit) {
            crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
        }
    }
    return ~crc;
}

void PutBig32(std::vector<std::uint8_t>& out, std::uint32_t value)
{
    for (int shift = 24; shift >= 0; shift -= 8) {
        out.push_back(static_cast<std::uint8_t>(value >> shift));
    }
}

void PutChunk(std::vector<std::uint8_t>& out, const char* type, const std::vector<std::uint8_t>& data)
{
    PutBig32(out, static_cast<std::uint32_t>(data.size()));
    std::vector<std::uint8_t> typed(type, type + 4);
    typed.insert(typed.end(), data.begin(), data.end());
    out.insert(out.end(), typed.begin(), typed.end());
    PutBig32(out, Crc32(typed.data(), typed.size()));
}

std::vector<std::uint8_t> EncodePng(const std::vector<TRgba>& pixels, std::uint32_t width, std::uint32_t height)
{
    std::vector<std::uint8_t> raw; // filter byte 0, then RGBA, per row
    for (std::uint32_t y = 0; y < height; ++y) {
        raw.push_back(0);
        for (std::uint32_t x = 0; x < width; ++x) {
            const TRgba& p = pixels[y * width + x];
            raw.insert(raw.end(), {p.R, p.G, p.B, p.A});
        }
    }
    std::vector<std::uint8_t> zlib = {0x78, 0x01};
    std::uint32_t a = 1, b = 0;
    for (std::uint8_t byte : raw) {
        a = (a + byte) % 65521;
        b = (b + a) % 65521;
    }
    for (std::size_t offset = 0; offset < raw.size() || offset == 0; offset += 65535) {
        std::size_t length = std::min<std::size_t>(65535, raw.size() - offset);
        bool last = offset + length >= raw.size();
        zlib.push_back(last ? 1 : 0);
        zlib.push_back(static_cast<std::uint8_t>(length));
        zlib.push_back(static_cast<std::uint8_t>(length >> 8));
        zlib.push_back(static_cast<std::uint8_t>(~length));
        zlib.push_back(static_cast<std::uint8_t>(~length >> 8));
        zlib.insert(zlib.end(), raw.begin() + static_cast<std::ptrdiff_t>(offset),
                    raw.begin() + static_cast<std::ptrdiff_t>(offset + length));
        if (last) {
            break;
        }
    }
    PutBig32(zlib, (b << 16) | a);

    std::vector<std::uint8_t> png = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    std::vector<std::uint8_t> header;
    PutBig32(header, width);
    PutBig32(header, height);
    header.insert(header.end(), {8, 6, 0, 0, 0}); // 8 bits, RGBA, deflate, no filter choice, no interlace
    PutChunk(png, "IHDR", header);
    PutChunk(png, "IDAT", zlib);
    PutChunk(png, "IEND", {});
    return png;
}

std::string EncodeSvg(const std::vector<TRgba>& pixels, std::uint32_t width, std::uint32_t height)
{
    std::ostringstream svg;
    svg << "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" << width << "\" height=\"" << height
        << "\" viewBox=\"0 0 " << width << ' ' << height << "\" shape-rendering=\"crispEdges\">\n";
    for (std::uint32_t y = 0; y < height; ++y) {
        for (std::uint32_t x = 0; x < width;) {
            const TRgba p = pixels[y * width + x];
            std::uint32_t run = 1;
            while (x + run < width) {
                const TRgba q = pixels[y * width + x + run];
                if (q.R != p.R || q.G != p.G || q.B != p.B || q.A != p.A) {
                    break;
                }
                ++run;
            }
            if (p.A != 0) {
                char colour[8];
                std::snprintf(colour, sizeof colour, "#%02x%02x%02x", p.R, p.G, p.B);
                svg << "<rect x=\"" << x << "\" y=\"" << y << "\" width=\"" << run << "\" height=\"1\" fill=\""
                    << colour << "\"/>\n";
            }
            x += run;
        }
    }
    svg << "</svg>\n";
    return svg.str();
}

int Fail(const std::string& message)
{
    std::cerr << "xpm2png: " << message << "\n";
    return 1;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 3 || argc > 4) {
        return Fail("usage: xpm2png <input.xpm> <output.png> [scale] | <output.svg>");
    }
    const int scale = argc == 4 ? std::atoi(argv[3]) : 1;
    if (scale < 1 || scale > 16) {
        return Fail("scale must be 1 to 16");
    }

    std::ifstream input(argv[1], std::ios::binary);
    if (!input) {
        return Fail(std::string("cannot read ") + argv[1]);
    }
    std::stringstream source;
    source << input.rdbuf();
    const std::vector<std::string> strings = QuotedStrings(source.str());

    unsigned width = 0, height = 0, colours = 0, perPixel = 0;
    if (strings.empty() || std::sscanf(strings[0].c_str(), "%u %u %u %u", &width, &height, &colours, &perPixel) != 4 ||
        width == 0 || height == 0 || width > 1024 || height > 1024 || perPixel == 0 ||
        strings.size() < 1 + colours + height) {
        return Fail("not an XPM image");
    }

    std::map<std::string, TRgba> palette;
    for (unsigned i = 0; i < colours; ++i) {
        const std::string& line = strings[1 + i];
        std::istringstream rest(line.substr(std::min<std::size_t>(perPixel, line.size())));
        std::string key, value;
        TRgba colour;
        bool found = false;
        while (rest >> key >> value) {
            if (key == "c") {
                found = ParseColour(value, colour);
            }
        }
        if (!found) {
            return Fail("unknown colour in \"" + line + "\"");
        }
        palette[line.substr(0, perPixel)] = colour;
    }

    const std::uint32_t outWidth = width * scale, outHeight = height * scale;
    std::vector<TRgba> pixels(static_cast<std::size_t>(outWidth) * outHeight);
    for (unsigned y = 0; y < height; ++y) {
        const std::string& row = strings[1 + colours + y];
        if (row.size() < width * perPixel) {
            return Fail("short pixel row");
        }
        for (unsigned x = 0; x < width; ++x) {
            auto found = palette.find(row.substr(x * perPixel, perPixel));
            if (found == palette.end()) {
                return Fail("pixel of no colour");
            }
            for (int dy = 0; dy < scale; ++dy) {
                for (int dx = 0; dx < scale; ++dx) {
                    pixels[(static_cast<std::size_t>(y) * scale + dy) * outWidth + x * scale + dx] = found->second;
                }
            }
        }
    }

    const std::string path = argv[2];
    std::ofstream output(path, std::ios::binary);
    if (path.size() > 4 && path.compare(path.size() - 4, 4, ".svg") == 0) {
        output << EncodeSvg(pixels, outWidth, outHeight);
    } else {
        const std::vector<std::uint8_t> png = EncodePng(pixels, outWidth, outHeight);
        output.write(reinterpret_cast<const char*>(png.data()), static_cast<std::streamsize>(png.size()));
    }
    if (!output) {
        return Fail(std::string("cannot write ") + argv[2]);
    }
    return 0;
}
