// Reading the version information from an ELF executable.
#include "VersionInfo.h"

#include <bit>
#include <cstdint>
#include <cstring>
#include <elf.h>
#include <fstream>
#include <vector>

namespace {

constexpr const char* SectionName = ".ov_version_info";
constexpr std::uint64_t MaxSectionSize = 64 * 1024;
constexpr std::uint64_t MaxSectionCount = 1u << 20;

// Reads size bytes at offset; false past the end of the file.
bool ReadAt(std::ifstream& file, std::uint64_t offset, void* data, std::size_t size)
{
    file.clear();
    file.seekg(static_cast<std::streamoff>(offset));
    return file && file.read(static_cast<char*>(data), static_cast<std::streamsize>(size)) &&
           static_cast<std::size_t>(file.gcount()) == size;
}

struct TSection {
    std::uint32_t Name = 0;
    std::uint32_t Type = 0;
    std::uint32_t Link = 0;
    std::uint64_t Offset = 0;
    std::uint64_t Size = 0;
};

// Both ELF classes, in this machine's byte order.
template <typename Ehdr, typename Shdr>
bool FindSection(std::ifstream& file, std::string& contents)
{
    Ehdr header{};
    if (!ReadAt(file, 0, &header, sizeof header) || header.e_shoff == 0 || header.e_shentsize != sizeof(Shdr)) {
        return false;
    }

    auto readSection = [&](std::uint64_t index, TSection& section) {
        Shdr raw{};
        if (!ReadAt(file, header.e_shoff + index * sizeof(Shdr), &raw, sizeof raw)) {
            return false;
        }
        section = {raw.sh_name, raw.sh_type, raw.sh_link, raw.sh_offset, raw.sh_size};
        return true;
    };

    // Very many sections or a far string table index live in section 0.
    TSection first;
    if (!readSection(0, first)) {
        return false;
    }
    std::uint64_t count = header.e_shnum != 0 ? header.e_shnum : first.Size;
    std::uint64_t namesIndex = header.e_shstrndx != SHN_XINDEX ? header.e_shstrndx : first.Link;
    if (count == 0 || count > MaxSectionCount || namesIndex >= count) {
        return false;
    }

    TSection names;
    if (!readSection(namesIndex, names) || names.Type != SHT_STRTAB) {
        return false;
    }
    const std::size_t nameLength = std::strlen(SectionName) + 1;
    std::vector<char> name(nameLength);

    for (std::uint64_t i = 1; i < count; ++i) {
        TSection section;
        if (!readSection(i, section)) {
            return false;
        }
        if (section.Type != SHT_PROGBITS || section.Name >= names.Size || names.Size - section.Name < nameLength ||
            !ReadAt(file, names.Offset + section.Name, name.data(), nameLength) ||
            std::memcmp(name.data(), SectionName, nameLength) != 0) {
            continue;
        }
        if (section.Size > MaxSectionSize) {
            return false;
        }
        contents.assign(static_cast<std::size_t>(section.Size), '\0');
        return ReadAt(file, section.Offset, contents.data(), contents.size());
    }
    return false;
}

} // namespace

bool TVersionInfo::Load(const std::string& path)
{
    FLoaded = false;
    FValues.clear();
    std::ifstream file(path, std::ios::binary);
    unsigned char ident[EI_NIDENT] = {};
    if (!file || !ReadAt(file, 0, ident, sizeof ident) || std::memcmp(ident, ELFMAG, SELFMAG) != 0) {
        return false;
    }
    const unsigned char nativeOrder = std::endian::native == std::endian::little ? ELFDATA2LSB : ELFDATA2MSB;
    if (ident[EI_DATA] != nativeOrder) {
        return false;
    }

    std::string contents;
    bool found = false;
    if (ident[EI_CLASS] == ELFCLASS64) {
        found = FindSection<Elf64_Ehdr, Elf64_Shdr>(file, contents);
    } else if (ident[EI_CLASS] == ELFCLASS32) {
        found = FindSection<Elf32_Ehdr, Elf32_Shdr>(file, contents);
    }
    if (!found || !ParseVersionInfoBlock(contents, FValues)) {
        return false;
    }
    FLoaded = true;
    return true;
}
