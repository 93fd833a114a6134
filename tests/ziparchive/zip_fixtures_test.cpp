// Archives made by Info-ZIP zip, Python's zipfile and 7z, and the hand-built damaged ones
// (tests/fixtures/make_zip_fixtures.py): the directory the library reads must give the
// listing Python gives, and a damaged archive must be refused with the expected message.
// Also decrypts Info-ZIP's encrypted entries with the library's cipher.
#include <gtest/gtest.h>
#include <zlib.h>

#include <string>
#include <vector>

#include "classlib/fileio.h"
#include "tests/ziparchive/scratch_files.h"
#include "tools/ziptool/listing.h"
#include "ziparchive/arc_unzip.h"
#include "ziparchive/crc32.h"
#include "classlib/little_endian.h"

namespace {

// The fixture folder as the program under test names it (Wine's Z: drive is "/").
std::string FixturePath(const std::string& name) {
    std::string p = std::string(PW_FIXTURE_DIR) + "/zip/" + name;
#ifdef _WIN32
    for (char& c : p)
        if (c == '/') c = '\\';
    p = "Z:" + p;
#endif
    return p;
}

std::vector<std::string> FixtureNames(const std::string& group) {
    const char* all[] = {
        "infozip_plain.zip", "infozip_encrypted.zip", "infozip_zip64.zip", "infozip_streamed.zip",
        "infozip_streamed_pipe.zip", "infozip_comments.zip", "py_stored.zip", "py_deflate.zip", "py_dos.zip",
        "py_comments.zip", "py_gbk.zip", "py_zip64_local.zip", "py_many.zip", "7z_deflate.zip", "7z_stored.zip",
        "bad_empty.zip", "bad_short21.zip", "bad_garbage.zip", "bad_disk1000.zip", "bad_truncated_dir.zip",
        "bad_truncated_nolocal.zip", "bad_dup_offsets.zip", "bad_wrong_extra.zip", "bad_sfx_prefix.exe",
        "bad_sfx_prefix.zip", "bad_comment_65535.zip", "bad_eocd_in_comment.zip", "bad_zip64_locator_outside.zip",
        "bad_zip64_locator_wrong.zip", "bad_extra_overrun.zip",
    };
    std::vector<std::string> out;
    for (const char* n : all)
        if (std::string(n).rfind(group + "_", 0) == 0) out.push_back(n);
    return out;
}

class ZipFixtures : public ::testing::TestWithParam<const char*> {};

TEST_P(ZipFixtures, ListingAgreesWithPython) {
    const std::string group = GetParam();
    if (FileExists(FixturePath(group + ".missing")))
        GTEST_SKIP() << "the tool of the " << group << " fixtures is not installed";
    for (const std::string& name : FixtureNames(group)) {
        SCOPED_TRACE(name);
        const std::string expect = ReadFileBytes(FixturePath(name + ".expect"));
        if (expect.rfind("ERROR\t", 0) == 0) {
            const std::string reason = expect.substr(6, expect.size() - 7);
            try {
                ListArchive(FixturePath(name));
                ADD_FAILURE() << "read without complaint";
            } catch (const EArcZipException& e) {
                EXPECT_EQ(e.Message, reason);
            }
        } else {
            EXPECT_EQ(ListArchive(FixturePath(name)), expect);
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Groups, ZipFixtures, ::testing::Values("infozip", "py", "7z", "bad"),
                         [](const ::testing::TestParamInfo<const char*>& i) { return std::string(i.param); });

// Each entry of Info-ZIP's encrypted archive: the check byte of its 12-byte header, then
// the data decrypted, inflated and checked against the stored CRC.
TEST(ZipFixtureCrypt, InfoZipEncryptedEntriesDecrypt) {
    if (FileExists(FixturePath("infozip.missing"))) GTEST_SKIP() << "Info-ZIP zip is not installed";
    TArcUnZip z(nullptr);
    z.SetZipName(FixturePath("infozip_encrypted.zip"));
    z.SetKeepZipOpen(true);
    z.OpenZip();
    TStream* s = z.GetArchiveStream();
    int files = 0;
    for (int i = 0; i < z.EntryCount(); ++i) {
        TZipHeaderInfo* entry = z.Entry(i);
        if (entry->GetUncompressedSize() == 0 && entry->GetFileName().empty()) continue;   // folders
        SCOPED_TRACE(entry->FullName());
        ASSERT_TRUE(entry->IsEncrypted());
        TZipHeaderInfo* h = z.GetCurrentHeader();
        h->Assign(entry);
        uint8_t local[30];
        s->Seek(h->GetRelativeOffset(), soBeginning);
        s->ReadBuffer(local, 30);
        s->Seek(GetLE16(local + 26) + GetLE16(local + 28), soCurrent);
        const int expected = h->HasDataDescriptor() ? (h->DateTime >> 8) & 0xFF : h->CRC32 >> 24;
        ASSERT_EQ(z.ReadEncryptionHeader("secret", s), expected);
        std::string packed(static_cast<size_t>(h->GetCompressedSize()), '\0');
        s->ReadBuffer(&packed[0], static_cast<int32_t>(packed.size()));
        z.DecryptBuffer(&packed[0], packed.size());

        std::string plain(static_cast<size_t>(h->GetUncompressedSize()), '\0');
        if (h->CompressionMethod == 8) {
            z_stream zs{};
            ASSERT_EQ(inflateInit2(&zs, -15), Z_OK);
            zs.next_in = reinterpret_cast<Bytef*>(&packed[0]);
            zs.avail_in = static_cast<uInt>(packed.size());
            zs.next_out = reinterpret_cast<Bytef*>(&plain[0]);
            zs.avail_out = static_cast<uInt>(plain.size());
            EXPECT_EQ(inflate(&zs, Z_FINISH), Z_STREAM_END);
            inflateEnd(&zs);
        } else {
            ASSERT_EQ(h->CompressionMethod, 0);
            plain = packed;
        }
        EXPECT_EQ(Crc32Of(plain.data(), plain.size()), h->CRC32);
        ++files;
    }
    EXPECT_GE(files, 4);

    // A wrong password fails the check byte for at least one of them.
    int passed = 0;
    for (int i = 0; i < z.EntryCount(); ++i) {
        TZipHeaderInfo* h = z.GetCurrentHeader();
        h->Assign(z.Entry(i));
        if (h->GetCompressedSize() < 12) continue;
        uint8_t local[30];
        s->Seek(h->GetRelativeOffset(), soBeginning);
        s->ReadBuffer(local, 30);
        s->Seek(GetLE16(local + 26) + GetLE16(local + 28), soCurrent);
        const int expected = h->HasDataDescriptor() ? (h->DateTime >> 8) & 0xFF : h->CRC32 >> 24;
        if (z.ReadEncryptionHeader("wrong", s) == expected) ++passed;
    }
    EXPECT_LT(passed, files);
}

}  // namespace
