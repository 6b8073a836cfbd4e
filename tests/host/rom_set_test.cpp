// The ROM-set check and the skyvolta.zip installer.
#include "host/rom_set.h"
#include "tests/support/synth_rom.h"
#include "tests/support/test_files.h"
#include "tests/support/zip_writer.h"

#include <gtest/gtest.h>
#include <cstring>
#include <filesystem>
#include <functional>

namespace {

class RomSetTest : public testing::Test {
protected:
    void SetUp() override { dir = temp_dir_make("romset"); }
    void TearDown() override { temp_dir_remove(dir); }

    // The whole set as stored zip members, ready for a case to damage.
    static std::vector<zip_member> members(int method = 0) {
        std::vector<zip_member> m;
        for (int e = 0; e < ROM_COUNT; e++) m.push_back({rom_table[e].name, synth_rom_file(synth_rom_shared(), e), method});
        return m;
    }

    bool unpack(const std::vector<uint8_t>& zip, std::string* err) {
        std::string path = dir + "/skyvolta.zip";
        EXPECT_TRUE(file_write(path, zip));
        char buf[512] = "";
        bool ok = unpack_rom_zip(path.c_str(), (dir + "/out").c_str(), buf, sizeof buf);
        *err = buf;
        return ok;
    }

    std::string dir;
};

TEST_F(RomSetTest, CompleteOnlyWithEveryFileAtItsExactSize) {
    std::string roms = dir + "/roms";
    ASSERT_TRUE(synth_rom_write_dir(synth_rom_shared(), roms.c_str()));
    EXPECT_TRUE(rom_set_complete(roms.c_str()));

    std::string last = roms + "/" + rom_table[27].name;
    std::vector<uint8_t> data = file_read(last);
    data.pop_back();
    ASSERT_TRUE(file_write(last, data));
    EXPECT_FALSE(rom_set_complete(roms.c_str()));

    remove(last.c_str());
    EXPECT_FALSE(rom_set_complete(roms.c_str()));
}

struct unpack_case {
    const char* what;
    std::function<void(std::vector<zip_member>&)> damage;
    size_t comment_len;
    const char* missing;  // null: the unpack succeeds
};

TEST_F(RomSetTest, UnpackChecksEveryMember) {
    const unpack_case cases[] = {
        {"stored members", [](auto&) {}, 0, nullptr},
        {"deflated members", [](auto& m) { for (auto& x : m) x.method = 8; }, 0, nullptr},
        {"upper-case aliases", [](auto& m) { for (int i = 0; i < 4; i++) m[i].name = "KV2VERA." + std::to_string(i + 1); }, 0, nullptr},
        {"65,535-byte comment", [](auto&) {}, 65535, nullptr},
        {"extra foreign member", [](auto& m) { m.push_back({"readme.txt", {1, 2, 3}, 0}); }, 0, nullptr},
        {"members in a folder", [](auto& m) { for (auto& x : m) x.name = "skyvolta/" + x.name; }, 0, "kv2ver-a.1"},
        {"bad CRC-32", [](auto& m) { m[25].bad_crc = true; }, 0, "kv1data.8k"},
        {"wrong size", [](auto& m) { m[13].data.pop_back(); }, 0, "kv1cg0.12b"},
        {"unknown method", [](auto& m) { m[4].method = 9; }, 0, "kv1ptrl0.18k"},
        {"missing member", [](auto& m) { m.pop_back(); }, 0, "kv1waveb.1l"},
    };
    for (const unpack_case& c : cases) {
        SCOPED_TRACE(c.what);
        std::vector<zip_member> m = members();
        c.damage(m);
        std::string err;
        bool ok = unpack(zip_build(m, c.comment_len), &err);
        if (!c.missing) {
            EXPECT_TRUE(ok) << err;
            EXPECT_TRUE(rom_set_complete((dir + "/out").c_str()));
            EXPECT_EQ(file_read(dir + "/out/kv2ver-a.1"), synth_rom_file(synth_rom_shared(), 0));
        } else {
            EXPECT_FALSE(ok);
            EXPECT_EQ(err, dir + "/skyvolta.zip is not the Sky Volta ROM set (missing or bad: " + c.missing + ")");
            EXPECT_EQ(file_size(dir + "/out/" + c.missing), -1);
        }
        temp_dir_remove(dir + "/out");
    }
}

TEST_F(RomSetTest, DamagedArchivesGiveOneLine) {
    std::string err;
    EXPECT_FALSE(unpack(std::vector<uint8_t>(21, 0), &err));
    EXPECT_EQ(err, "cannot read " + dir + "/skyvolta.zip");
    EXPECT_FALSE(unpack(std::vector<uint8_t>(4096, 0x50), &err));
    EXPECT_EQ(err, dir + "/skyvolta.zip is not a zip file");

    // An end record and nothing else: the first table name is missing.
    EXPECT_FALSE(unpack(zip_build({}, 0), &err));
    EXPECT_EQ(err, dir + "/skyvolta.zip is not the Sky Volta ROM set (missing or bad: kv2ver-a.1)");

    // A comment one byte longer than a zip can hold hides the end record.
    std::vector<uint8_t> z = zip_build({}, 0);
    z.insert(z.end(), 65536, '#');
    EXPECT_FALSE(unpack(z, &err));
    EXPECT_EQ(err, dir + "/skyvolta.zip is not a zip file");

    char buf[256];
    EXPECT_FALSE(unpack_rom_zip((dir + "/none.zip").c_str(), dir.c_str(), buf, sizeof buf));
    EXPECT_EQ(std::string(buf), "cannot open " + dir + "/none.zip");
}

TEST_F(RomSetTest, HeadersPointingOutsideTheFileAreSkipped) {
    // One good member; every offset and length of its headers in turn made to run past the end.
    std::vector<zip_member> one = {{"kv1data.8k", synth_rom_file(synth_rom_shared(), 25), 0}};
    std::vector<uint8_t> good = zip_build(one, 0);
    size_t central = good.size() - 22 - 46 - strlen("kv1data.8k");
    const struct { size_t at; uint32_t value; bool kept; } pokes[] = {
        {central + 20, 0xFFFFFFF0, false},          // compressed size
        {central + 28, 0xFFFF, false},              // name length
        {central + 42, 0xFFFFFFF0, false},          // local header offset
        {26, 0xFFFF, false},                        // local name length
        {good.size() - 22 + 16, 0xFFFFFFF0, false}, // central directory offset
        {good.size() - 22 + 10, 0xFFFF, true},      // entry count: the walk stops at the end record
    };
    for (const auto& p : pokes) {
        SCOPED_TRACE(p.at);
        std::vector<uint8_t> z = good;
        for (int b = 0; b < 4 && p.at + size_t(b) < z.size(); b++) z[p.at + size_t(b)] = uint8_t(p.value >> (8 * b));
        std::string err;
        EXPECT_FALSE(unpack(z, &err));
        EXPECT_EQ(err, dir + "/skyvolta.zip is not the Sky Volta ROM set (missing or bad: kv2ver-a.1)");
        EXPECT_EQ(file_size(dir + "/out/kv1data.8k"), p.kept ? long(rom_table[25].size) : -1);
        temp_dir_remove(dir + "/out");
    }
}

TEST_F(RomSetTest, UnwritableDirectoryFailsTheUnpack) {
    ASSERT_TRUE(file_write(dir + "/out", {1}));  // a file where the directory should be
    std::string err;
    EXPECT_FALSE(unpack(zip_build(members(), 0), &err));
    EXPECT_EQ(err, "cannot write " + dir + "/out/kv2ver-a.1");
}

TEST_F(RomSetTest, FindLooksBesideTheProgramToo) {
    char err[256];
    std::string work = dir + "/work", base = dir + "/base";
    ASSERT_EQ(system(("mkdir -p " + work + " " + base + "/roms").c_str()), 0);
    std::string old = std::filesystem::current_path();
    std::filesystem::current_path(work);
    EXPECT_FALSE(find_rom_zip("extracted", base.c_str(), err, sizeof err));
    EXPECT_STREQ(err, "no skyvolta.zip found");
    ASSERT_TRUE(zip_write((base + "/roms/skyvolta.zip").c_str(), members(), 0));
    EXPECT_TRUE(find_rom_zip("extracted", base.c_str(), err, sizeof err));
    EXPECT_TRUE(rom_set_complete("extracted"));
    std::filesystem::current_path(old);
}

}  // namespace
