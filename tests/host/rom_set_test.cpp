// The ROM-set check and the skyvolta.zip installer.
#include "base/run_flags.h"
#include "host/rom_set.h"
#include "tests/support/synth_rom.h"
#include "tests/support/test_files.h"
#include "tests/support/zip_writer.h"

#include <gtest/gtest.h>
#include <cstring>
#include <filesystem>
#include <functional>

namespace {

// The member chunks the installer made in one unpack; the quit flag is cleared at the
// first chunk of stop_entry.
int chunks_made;
int stop_entry;

void chunk_count(int entry) {
    chunks_made++;
    if (entry == stop_entry) run_flag = 0;
}

class RomSetTest : public testing::Test {
protected:
    void SetUp() override {
        dir = temp_dir_make("romset");
        chunks_made = 0;
        stop_entry = -1;
        rom_unpack_chunk_done = chunk_count;
    }
    void TearDown() override {
        rom_unpack_chunk_done = nullptr;
        run_flag = 1;
        temp_dir_remove(dir);
    }

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
        {"stream past its size", [](auto& m) { m[25] = {m[25].name, m[25].data, 8, false, long(m[25].data.size())}; m[25].data.resize(m[25].data.size() + 100, 7); }, 0, "kv1data.8k"},
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

// The small archive whose 65,535 central entries all name one 4 MB member: the member is
// inflated once, whatever the other entries say, and a size that is not the table's is
// refused before anything is inflated.
TEST_F(RomSetTest, RepeatedEntriesInflateTheirFileOnce) {
    const struct { const char* what; bool bad_crc; bool short_size; } cases[] = {
        {"good member", false, false},
        {"bad CRC-32", true, false},
        {"size not the table's", false, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        zip_member wave{"kv1wavea.2l", synth_rom_file(synth_rom_shared(), 26), 8, c.bad_crc};
        if (c.short_size) wave.data.pop_back();
        std::string err;
        chunks_made = 0;
        EXPECT_FALSE(unpack(zip_build_repeated(wave, 1), &err));
        int once = chunks_made;
        EXPECT_EQ(once == 0, c.short_size);
        temp_dir_remove(dir + "/out");

        chunks_made = 0;
        EXPECT_FALSE(unpack(zip_build_repeated(wave, 65535), &err));
        EXPECT_EQ(chunks_made, once);
        EXPECT_EQ(err, dir + "/skyvolta.zip is not the Sky Volta ROM set (missing or bad: kv2ver-a.1)");
        bool kept = !c.bad_crc && !c.short_size;
        EXPECT_EQ(file_size(dir + "/out/kv1wavea.2l"), kept ? long(rom_table[26].size) : -1);
        EXPECT_EQ(file_size(dir + "/out/kv1wavea.2l.part"), -1);
        temp_dir_remove(dir + "/out");
    }
}

// A quit signal clears run_flag: the unpack stops between members or inside one, says so,
// and leaves no file of the member it was making.
TEST_F(RomSetTest, QuitFlagStopsTheUnpack) {
    const struct { const char* what; int method; int stop_at; } cases[] = {
        {"before the first member", 8, -1},
        {"inside a deflated member", 8, 26},
        {"inside a stored member", 0, 26},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        stop_entry = c.stop_at;
        chunks_made = 0;
        run_flag = c.stop_at < 0 ? 0 : 1;
        std::string err;
        EXPECT_FALSE(unpack(zip_build(members(c.method), 0), &err));
        run_flag = 1;
        EXPECT_EQ(err, "unpacking " + dir + "/skyvolta.zip stopped");
        EXPECT_EQ(file_size(dir + "/out/kv1wavea.2l"), -1);
        EXPECT_EQ(file_size(dir + "/out/kv1wavea.2l.part"), -1);
        EXPECT_EQ(file_size(dir + "/out/kv1data.8k"), c.stop_at < 0 ? -1 : long(rom_table[25].size));
        EXPECT_EQ(std::filesystem::exists(dir + "/out"), c.stop_at >= 0);
        if (c.stop_at < 0) EXPECT_EQ(chunks_made, 0);
        temp_dir_remove(dir + "/out");
    }
}

// A wrong archive leaves no empty folder of its own making; a folder that was there stays.
TEST_F(RomSetTest, WrongArchiveLeavesNoNewFolder) {
    std::string err;
    EXPECT_FALSE(unpack(zip_build({}, 0), &err));
    EXPECT_FALSE(std::filesystem::exists(dir + "/out"));

    ASSERT_TRUE(std::filesystem::create_directory(dir + "/out"));
    EXPECT_FALSE(unpack(zip_build({}, 0), &err));
    EXPECT_TRUE(std::filesystem::exists(dir + "/out"));
    temp_dir_remove(dir + "/out");

    // One good member written: the folder holds it.
    EXPECT_FALSE(unpack(zip_build({{"kv1data.8k", synth_rom_file(synth_rom_shared(), 25), 8}}, 0), &err));
    EXPECT_EQ(file_size(dir + "/out/kv1data.8k"), long(rom_table[25].size));
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
