#include "shared/VersionResource.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using Bytes = std::vector<unsigned char>;

void Put(Bytes& bytes, std::size_t offset, unsigned long long value, int width) {
    if (bytes.size() < offset + width)
        bytes.resize(offset + width);
    for (int i = 0; i < width; ++i)
        bytes[offset + i] = static_cast<unsigned char>(value >> (8 * i));
}

void Pad(Bytes& bytes) {
    bytes.resize((bytes.size() + 3) & ~std::size_t{3});
}

// A node of a version resource: its key, a value, and its children.
Bytes Node(const char* key, const Bytes& value, unsigned valueLength, bool text,
           const std::vector<Bytes>& children = {}) {
    Bytes node(6);
    for (const char* c = key;; ++c) {
        node.push_back(static_cast<unsigned char>(*c));
        node.push_back(0);
        if (*c == '\0')
            break;
    }
    Pad(node);
    node.insert(node.end(), value.begin(), value.end());
    for (const Bytes& child : children) {
        Pad(node);
        node.insert(node.end(), child.begin(), child.end());
    }
    Put(node, 0, node.size(), 2);
    Put(node, 2, valueLength, 2);
    Put(node, 4, text ? 1 : 0, 2);
    return node;
}

Bytes Text(const char* key, const std::string& value) {
    Bytes wide;
    for (char c : value + '\0')
        wide.insert(wide.end(), {static_cast<unsigned char>(c), 0});
    return Node(key, wide, static_cast<unsigned>(value.size() + 1), true);
}

// A program or library for `bits`, laid out as linkers lay one out: headers, then one section
// holding the resource tree and the version resource of `product`; none where it is empty.
Bytes Image(unsigned bits, const std::string& product, const std::string& version = "1.6.1") {
    const bool wide = bits == 64;
    const std::size_t optional = 0x40 + 24, directories = optional + (wide ? 112 : 96);
    const std::size_t sectionTable = directories + 16 * 8, raw = 0x200, rva = 0x1000;
    Bytes image;
    Put(image, 0, 0x5A4D, 2);
    Put(image, 0x3C, 0x40, 4);
    Put(image, 0x40, 0x4550, 4);
    Put(image, 0x44, wide ? 0x8664 : 0x14C, 2);
    Put(image, 0x46, 1, 2);
    Put(image, 0x54, sectionTable - optional, 2);
    Put(image, optional, wide ? 0x20B : 0x10B, 2);
    Put(image, optional + (wide ? 108 : 92), 16, 4);
    Put(image, sectionTable + 40, 0, 1);
    if (product.empty())
        return image;

    const Bytes resource =
        Node("VS_VERSION_INFO", Bytes(52), 52, false,
             {Node("StringFileInfo", {}, 0, true,
                   {Node("040904b0", {}, 0, true,
                         {Text("FileDescription", "a library"), Text("ProductName", product),
                          Text("ProductVersion", version)})})});
    // Type 16, name 1, language 0x409, each a directory of one numbered entry, then the data.
    Bytes tree;
    for (unsigned level = 0; level < 3; ++level) {
        const std::size_t at = level * 24;
        Put(tree, at + 14, 1, 2);
        Put(tree, at + 16, level == 0 ? 16 : level == 1 ? 1 : 0x409, 4);
        Put(tree, at + 20, level < 2 ? (0x80000000 | (at + 24)) : 72, 4);
    }
    Put(tree, 72, rva + 88, 4);
    Put(tree, 76, resource.size(), 4);
    tree.resize(88);
    tree.insert(tree.end(), resource.begin(), resource.end());

    Put(image, directories + 2 * 8, rva, 4);
    Put(image, directories + 2 * 8 + 4, tree.size(), 4);
    Put(image, sectionTable + 8, tree.size(), 4);
    Put(image, sectionTable + 12, rva, 4);
    Put(image, sectionTable + 16, tree.size(), 4);
    Put(image, sectionTable + 20, raw, 4);
    image.resize(raw);
    image.insert(image.end(), tree.begin(), tree.end());
    return image;
}

FileOwner OwnerOf(const Bytes& bytes, std::string* version = nullptr) {
    char text[24];
    const FileOwner owner = ReadFileOwner(bytes.data(), bytes.size(), text, sizeof text);
    if (version != nullptr)
        *version = text;
    return owner;
}

} // namespace

// Told by the bytes alone, the same for either bitness whatever reads them: a 32-bit tool
// meeting a 64-bit game's copy must still see StickShift's.
TEST(FileOwner, ToldByTheVersionResourceInTheFilesBytes) {
    Bytes malformed = Image(64, "StickShift");
    malformed[0x200 + 20 + 3] &= 0x7F; // the type's entry points at data, not a directory
    const struct {
        const char* what;
        Bytes file;
        FileOwner owner;
        const char* version;
    } cases[] = {
        {"64-bit StickShift", Image(64, "StickShift"), FileStickShift, "1.6.1"},
        {"32-bit StickShift", Image(32, "StickShift", "1.4.0"), FileStickShift, "1.4.0"},
        {"another product", Image(32, "Microsoft\xae DirectX for Windows\xae"), FileNotStickShift,
         ""},
        {"a name that only begins the same", Image(64, "StickShifter"), FileNotStickShift, ""},
        {"no resources", Image(64, ""), FileNotStickShift, ""},
        {"no program at all", Bytes{'[', 'S', 'e', 't'}, FileNotStickShift, ""},
        {"empty", Bytes{}, FileNotStickShift, ""},
        {"a malformed resource tree", malformed, FileCannotTell, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        std::string version;
        EXPECT_EQ(OwnerOf(c.file, &version), c.owner);
        EXPECT_EQ(version, c.version);
    }
}

// A copy cut short anywhere (a copy interrupted, a file still being written) is never taken for
// another program's, which installing would set aside and chain to.
TEST(FileOwner, ACopyCutShortAnywhereCannotBeTold) {
    for (unsigned bits : {32u, 64u}) {
        const Bytes whole = Image(bits, "StickShift");
        for (std::size_t length = 2; length < whole.size(); ++length) {
            SCOPED_TRACE(std::to_string(bits) + "-bit, cut at " + std::to_string(length));
            ASSERT_EQ(OwnerOf(Bytes(whole.begin(), whole.begin() + length)), FileCannotTell);
        }
    }
}
