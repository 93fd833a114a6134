// The older methods: archives from the test-only encoders (the shrink and implode ones
// checked by unzip and 7z) extract to their plain bytes; hand-made streams pin down reduce's
// corners and the faults of damaged shrink, reduce and implode data, each of which must end
// in a failed entry rather than a hang or a write out of bounds.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <sstream>
#include <thread>

#include "ziparchive/arc_unzip.h"
#include "ziparchive/file_utils.h"
#include "zipextract/decode_table.h"
#include "zipextract/legacy_decoders.h"
#include "zipextract/unzip_run.h"
#include "tests/support/tempdir.h"
#include "tests/zipextract/zip_builder.h"

namespace {

std::string WinPath(std::string p) {
#ifdef _WIN32
    for (char& c : p)
        if (c == '/') c = '\\';
#endif
    return p;
}

std::string FixturePath(const std::string& name) { return WinPath(std::string(PW_FIXTURE_DIR) + "/legacy/" + name); }

// Bits packed from the low end of each byte, as the decoders take them.
class TBitWriter {
public:
    TBitWriter& Put(uint32_t value, int bits) {
        for (int i = 0; i < bits; ++i) {
            if (FCount % 8 == 0) FBytes.push_back('\0');
            if ((value >> i) & 1) FBytes.back() = static_cast<char>(FBytes.back() | (1 << (FCount % 8)));
            ++FCount;
        }
        return *this;
    }
    const std::string& Bytes() const { return FBytes; }

private:
    std::string FBytes;
    int FCount = 0;
};

// One decoder over bytes in memory, declared to give Size bytes.
struct TDecoderRun {
    TMemoryStream Source, Target;
    TEntryInput Input;
    TEntryOutput Output;
    TBitInput Bits{Input};

    TDecoderRun(const std::string& packed, int64_t size) {
        if (!packed.empty()) Source.WriteBuffer(packed.data(), static_cast<int32_t>(packed.size()));
        Source.SetPosition(0);
        Input.StartEntry(&Source, static_cast<int64_t>(packed.size()), {}, {}, {});
        Output.StartEntry(&Target, size, {}, {});
    }
    std::string Result() {
        return std::string(reinterpret_cast<const char*>(Target.Memory()), static_cast<size_t>(Target.GetSize()));
    }
};

// Follower sets for reduce: all empty, except the given ones (byte value, followers).
void PutFollowerSets(TBitWriter& w, const std::vector<std::pair<int, std::string>>& sets = {}) {
    for (int v = 255; v >= 0; --v) {
        std::string followers;
        for (const auto& s : sets)
            if (s.first == v) followers = s.second;
        w.Put(static_cast<uint32_t>(followers.size()), 6);
        for (char c : followers) w.Put(static_cast<uint8_t>(c), 8);
    }
}

std::string Unreduced(int factor, const std::vector<uint8_t>& bytes, int64_t size) {
    TBitWriter w;
    PutFollowerSets(w);
    for (uint8_t b : bytes) w.Put(b, 8);
    TDecoderRun run(w.Bytes(), size);
    Unreduce(run.Bits, run.Output, factor, size);
    return run.Result();
}

// Paths are built with "\\" as the extraction builds them; the native build reads them
// with "/".
std::string ReadAll(std::string path) {
#ifndef _WIN32
    for (char& c : path)
        if (c == '\\') c = '/';
#endif
    std::ifstream f(path, std::ios::binary);
    std::ostringstream s;
    s << f.rdbuf();
    return s.str();
}

struct TListedArchive {
    std::string Name, Password, Kind;
};

std::vector<TListedArchive> ListedArchives() {
    std::ifstream f(std::string(PW_FIXTURE_DIR) + "/legacy/legacy.list");
    std::vector<TListedArchive> all;
    std::string line;
    while (std::getline(f, line)) {
        TListedArchive a;
        std::istringstream fields(line);
        std::getline(fields, a.Name, '\t');
        std::getline(fields, a.Password, '\t');
        std::getline(fields, a.Kind, '\t');
        all.push_back(a);
    }
    return all;
}

}  // namespace

// Every archive the encoders made: sound ones give back each entry's bytes (encrypted ones
// with the password), the truncated one fails every entry and keeps none of them.
TEST(LegacyFixtures, ExtractToThePlainBytes) {
    const std::vector<TListedArchive> archives = ListedArchives();
    ASSERT_GE(archives.size(), 18u) << "fixtures missing: " << PW_FIXTURE_DIR;
    TempDir tmp;
    for (const TListedArchive& a : archives) {
        SCOPED_TRACE(a.Name);
        const std::string dest = WinPath(tmp.Path() + a.Name);
        TArcUnZip zip(nullptr);
        zip.SetZipName(FixturePath(a.Name + ".zip"));
        zip.SetDestDir(dest);
        zip.SetDoAll(true);
        zip.Password = a.Password;
        std::vector<int> failed;
        TUnZipRun run(zip, false);
        run.OnEntryFailed = [&](int index, const AnsiString&) { failed.push_back(index); };
        const int done = run.UnZip();
        if (a.Kind == "damaged") {
            EXPECT_EQ(done, 0);
            EXPECT_EQ(failed.size(), 4u);
            for (const char* name : {"shrink_cut.htm", "reduce_cut.htm", "implode_cut.htm", "implode_trees_cut.htm"})
                EXPECT_FALSE(FileExists(dest + "\\" + name)) << name;
            continue;
        }
        EXPECT_TRUE(failed.empty());
        int entries = 0;
        for (const char* name : {"text.htm", "mixed.bin", "one.txt", "empty.txt", "short.txt", "large.bin"}) {
            const std::string expected = FixturePath(a.Name + "/" + name);
            if (!FileExists(expected)) continue;
            ++entries;
            const std::string got = ReadAll(dest + "\\" + name), want = ReadAll(expected);
            EXPECT_TRUE(got == want) << name << ": " << got.size() << " bytes, expected " << want.size();
        }
        EXPECT_EQ(done, entries);
    }
}

// B(n): the bits that index a follower set of n bytes.
TEST(Unreduce, FollowerIndexWidths) {
    const std::vector<std::pair<int, int>> widths = {{1, 1}, {2, 1}, {3, 2}, {4, 2}, {5, 3},  {8, 3},
                                                     {9, 4}, {16, 4}, {17, 5}, {32, 5}, {33, 6}, {63, 6}};
    for (const auto& [n, bits] : widths) {
        // A set of n followers of byte 0, the last of them chosen by its index.
        std::string followers;
        for (int i = 0; i < n; ++i) followers += static_cast<char>('A' + i % 26 + (i >= 26 ? 32 : 0));
        TBitWriter w;
        PutFollowerSets(w, {{0, followers}});
        w.Put(0, 1).Put(static_cast<uint32_t>(n - 1), bits);   // from the set of 0
        w.Put(0, 8);                                            // 'A'.. has no set: 8 plain bits
        TDecoderRun run(w.Bytes(), 2);
        Unreduce(run.Bits, run.Output, 1, 2);
        EXPECT_EQ(run.Result(), std::string(1, followers.back()) + '\0') << "n = " << n;
    }
}

TEST(Unreduce, EscapesAndMatchLengths) {
    // 144, 0 is the byte 144 itself.
    EXPECT_EQ(Unreduced(1, {'a', 144, 0, 'b'}, 3), "a\x90" "b");
    // Factor 1: V = 0x7E is a length of 0x7E + 3 with the distance byte next; V = 0x7F takes
    // one more length byte (0x7F + 2 + 3 = 132 bytes).
    EXPECT_EQ(Unreduced(1, {'x', 144, 0x7E, 0}, 1 + 0x7E + 3), std::string(1 + 0x7E + 3, 'x'));
    EXPECT_EQ(Unreduced(1, {'x', 144, 0x7F, 2, 0}, 1 + 0x7F + 2 + 3), std::string(1 + 0x7F + 2 + 3, 'x'));
    // Factor 4: the high distance bits come from V (V = 0x12: distance 1 * 256 + 0 + 1 = 257).
    std::vector<uint8_t> bytes;
    std::string expected;
    for (int i = 0; i < 257; ++i) {
        bytes.push_back(static_cast<uint8_t>('a' + i % 7));
        expected += static_cast<char>('a' + i % 7);
    }
    bytes.insert(bytes.end(), {144, 0x12, 0});
    expected += expected.substr(0, 5);
    EXPECT_EQ(Unreduced(4, bytes, static_cast<int64_t>(expected.size())), expected);
}

TEST(Unreduce, MatchBeforeTheStartGivesZeros) {
    // Distance 4 from the second byte: three zeros, then the copy reaches "ab".
    EXPECT_EQ(Unreduced(1, {'a', 'b', 144, 3, 3}, 8), std::string("ab\0\0ab\0\0", 8));
}

TEST(Unreduce, FollowerIndexOutsideItsSetFails) {
    TBitWriter w;
    PutFollowerSets(w, {{0, "xyz"}});   // 3 followers: 2 index bits, index 3 names none
    w.Put(0, 1).Put(3, 2);
    TDecoderRun run(w.Bytes(), 10);
    EXPECT_THROW(Unreduce(run.Bits, run.Output, 2, 10), ELegacyDataError);
}

TEST(Unshrink, WiderCodesAfterTheEscape) {
    // 'a', 'b', then 256, 1: from here on 10-bit codes; 257 ("ab") and 'c'.
    TBitWriter w;
    w.Put('a', 9).Put('b', 9).Put(256, 9).Put(1, 9).Put(257, 10).Put('c', 10);
    TDecoderRun run(w.Bytes(), 100);
    Unshrink(run.Bits, run.Output);
    EXPECT_EQ(run.Result(), "ababc");
}

TEST(Unshrink, FreeCodeInsideAChainTakesTheOldCode) {
    // 300 (free) is "AA" and makes 257; 66 then makes 258 with the still free 300 as its
    // prefix. Decoding 258 meets 300 inside the chain: the final character 'B', then the old
    // code 66: "BBB".
    TBitWriter w;
    for (uint32_t c : {65u, 300u, 66u, 258u}) w.Put(c, 9);
    TDecoderRun run(w.Bytes(), 100);
    Unshrink(run.Bits, run.Output);
    EXPECT_EQ(run.Result(), "AAABBBB");
}

TEST(Unshrink, DamagedChainsFail) {
    const std::vector<std::vector<uint32_t>> streams = {
        // The code read is free and so is the old code it leads to: it would lead there
        // again for ever.
        {65, 300, 258},
        // A partial clear frees 257 and 258 while 257 is the old code; the next entry takes
        // slot 257 with itself as prefix, and decoding 257 would push for ever.
        {65, 66, 257, 256, 2, 65, 257},
    };
    for (const auto& codes : streams) {
        TBitWriter w;
        for (uint32_t c : codes) w.Put(c, 9);
        TDecoderRun run(w.Bytes(), 1 << 20);
        EXPECT_THROW(Unshrink(run.Bits, run.Output), ELegacyDataError);
    }
}

TEST(Unshrink, PaddingIsNotDecoded) {
    // Two codes take 18 bits: the six bits of padding in the third byte are no code (nor are
    // the zero bytes the bit input offers past the end).
    TBitWriter w;
    w.Put('p', 9).Put('q', 9);
    TDecoderRun run(w.Bytes(), 100);
    Unshrink(run.Bits, run.Output);
    EXPECT_EQ(run.Result(), "pq");
}

TEST(ReadBitLengths, RunsPastTheListAreRefusedAtOnce) {
    // Four runs of 16 fill 64; a fifth overshoots. The list is exactly 64 bytes long, so a
    // write of the fifth run would be out of bounds (and ASan would say so).
    struct TCase {
        std::vector<uint8_t> Runs;
        int Result;
    };
    const std::vector<TCase> cases = {
        {{0xF3, 0xF3, 0xF3, 0xF3}, 0},
        {{0xF3, 0xF3, 0xF3, 0xF3, 0x00}, kBadBitLengths},
        {{0xF3, 0xF3, 0xF3, 0xE3}, kBadBitLengths},   // one short
        {{0xF3, 0xF3, 0xF3, 0xF3, 0xF3, 0xF3}, kBadBitLengths},
    };
    for (const TCase& c : cases) {
        std::string bytes(1, static_cast<char>(c.Runs.size() - 1));
        for (uint8_t r : c.Runs) bytes += static_cast<char>(r);
        TDecoderRun run(bytes, 0);
        std::vector<uint8_t> lengths(64);
        uint32_t buf = 0;
        int count = 0;
        EXPECT_EQ(ReadBitLengths(run.Bits, buf, count, lengths.data(), 64), c.Result);
    }
}

TEST(BuildDecodeTable, ResultsAndLookupWidth) {
    TDecodeTable t;
    const uint8_t complete[4] = {1, 2, 3, 3};
    EXPECT_EQ(BuildDecodeTable(complete, 4, 4, nullptr, nullptr, t, 9), brBuilt);
    EXPECT_EQ(t.LookupBits, 3);   // clamped to the longest length
    const uint8_t incomplete[3] = {1, 2, 3};
    EXPECT_EQ(BuildDecodeTable(incomplete, 3, 3, nullptr, nullptr, t, 2), brIncomplete);
    const uint8_t over[3] = {1, 1, 1};
    EXPECT_EQ(BuildDecodeTable(over, 3, 3, nullptr, nullptr, t, 7), brInvalid);
    const uint8_t none[3] = {0, 0, 0};
    EXPECT_EQ(BuildDecodeTable(none, 3, 3, nullptr, nullptr, t, 7), brBuilt);
    EXPECT_EQ(t.LookupBits, 0);
    // Codes longer than the first table go through a sub-table: lengths 1, 2, 4, 4, 4, 4
    // looked up 2 bits at a time; every code leads back to its symbol in Length bits.
    const uint8_t mixed[6] = {1, 2, 4, 4, 4, 4};
    const uint32_t canonical[6] = {0x0, 0x2, 0xC, 0xD, 0xE, 0xF};
    ASSERT_EQ(BuildDecodeTable(mixed, 6, 6, nullptr, nullptr, t, 2), brBuilt);
    ASSERT_EQ(t.LookupBits, 2);
    for (uint32_t sym = 0; sym < 6; ++sym) {
        uint32_t bits = 0;   // first code bit lowest, as the bit input holds it
        for (int b = 0; b < mixed[sym]; ++b) bits |= ((canonical[sym] >> (mixed[sym] - 1 - b)) & 1) << b;
        const TDecodeEntry* e = &t.Entries[bits & 3];
        int used = e->Bits;
        if (e->Op > kOpLiteral) {
            e = &t.Entries[e->Value + ((bits >> 2) & kBitMasks[e->Op - kOpLiteral])];
            used += e->Bits;
        }
        EXPECT_EQ(e->Op, kOpLiteral) << sym;
        EXPECT_EQ(e->Value, sym);
        EXPECT_EQ(used, mixed[sym]) << sym;
    }
}

// Entries of the older methods with broken data inside a whole run: each fails on its own
// and the sound entry after them extracts.
TEST(LegacyEntries, DamagedDataFailsItsEntry) {
    TBitWriter loop;
    for (uint32_t c : {65, 300, 258}) loop.Put(c, 9);
    TBitWriter badFollower;
    PutFollowerSets(badFollower, {{0, "xyz"}});
    badFollower.Put(0, 1).Put(3, 2);
    // Implode without a literal tree: the length tree's runs add up to 65 of 64 codes.
    const std::string overshoot = "\x04\xF3\xF3\xF3\xF3\x00";
    std::vector<TTestEntry> entries = {
        {"loop.bin", std::string(50, 'A'), 1},
        {"follower.bin", "xyz", 3},
        {"overshoot.bin", "abc", 6},
        {"method7.bin", "x", 7},
        {"good.txt", "kept", 0},
    };
    entries[0].RawCompressed = loop.Bytes();
    entries[1].RawCompressed = badFollower.Bytes();
    entries[2].RawCompressed = overshoot;
    entries[3].RawCompressed = "x";
    TempDir tmp;
    const std::string base = WinPath(tmp.Path());
    WriteWholeFile(tmp.Path() + "a.zip", BuildZip(entries));
    TArcUnZip zip(nullptr);
    zip.SetZipName(base + "a.zip");
    zip.SetDestDir(base + "out");
    zip.SetDoAll(true);
    zip.OnHandleMessage = [](TObject*, int, const AnsiString&, const AnsiString&, uint32_t, int& answer) {
        answer = 1;
    };
    std::vector<std::string> reasons;
    TUnZipRun run(zip, false);
    run.OnEntryFailed = [&](int index, const AnsiString& why) { reasons.push_back(std::to_string(index) + " " + why); };
    EXPECT_EQ(run.UnZip(), 1);
    EXPECT_EQ(reasons, (std::vector<std::string>{"0 corrupt compressed data (shrink code refers to a free code)",
                                                 "1 corrupt compressed data (follower index outside its set)",
                                                 "2 corrupt compressed data (bad bit-length list)",
                                                 "3 unsupported compression method 7"}));
    EXPECT_FALSE(FileExists(base + "out\\loop.bin"));
    EXPECT_EQ(ReadAll(base + "out\\good.txt"), "kept");
}

namespace {
// Every decode-table allocation fails while one lives.
struct TTablesOutOfMemory {
    TTablesOutOfMemory() { FailDecodeTableAllocations(true); }
    ~TTablesOutOfMemory() { FailDecodeTableAllocations(false); }
    TTablesOutOfMemory(const TTablesOutOfMemory&) = delete;
    TTablesOutOfMemory& operator=(const TTablesOutOfMemory&) = delete;
};
}  // namespace

// Implode tables that cannot be had: each entry tells the user with message 193 and the
// caption "Error" through HandleMessage, on the calling thread also when workers decode, then
// fails its check and leaves no file; the run goes on. The same events with workers as without.
TEST(LegacyEntries, TablesOutOfMemoryAreToldOnTheCallingThread) {
    TempDir tmp;
    const TTablesOutOfMemory failing;
    std::vector<std::string> serial;
    for (int workers : {0, 1, 8}) {
        SCOPED_TRACE(workers);
        const std::string dest = WinPath(tmp.Path() + "out" + std::to_string(workers));
        TArcUnZip zip(nullptr);
        zip.SetZipName(FixturePath("implode_8k_lit.zip"));
        zip.SetDestDir(dest);
        zip.SetDoAll(true);
        std::vector<std::string> events;
        const std::thread::id caller = std::this_thread::get_id();
        zip.OnHandleMessage = [&](TObject*, int id, const AnsiString& text, const AnsiString& caption, uint32_t flags,
                                  int& answer) {
            EXPECT_EQ(std::this_thread::get_id(), caller);
            events.push_back("message " + std::to_string(id) + " " + text + " | " + caption + " " +
                             std::to_string(flags));
            answer = 1;
        };
        zip.OnBadCRC = [&](TObject*, int32_t, int32_t, int i) { events.push_back("badcrc " + std::to_string(i)); };
        zip.OnEndUnZip = [&](TObject*, int i, const AnsiString&) { events.push_back("end " + std::to_string(i)); };
        zip.OnUnZipComplete = [&](TObject*, int n) { events.push_back("complete " + std::to_string(n)); };
        TUnZipRun run(zip, false);
        run.SetWorkers(workers);
        run.UnZip();
        const auto told = std::count(events.begin(), events.end(), "message 193 *** inflate out of memory *** | Error 0");
        EXPECT_GE(told, 3);
        EXPECT_EQ(told, std::count_if(events.begin(), events.end(),
                                      [](const std::string& e) { return e.rfind("badcrc ", 0) == 0; }));
        for (int i = 0; i < zip.EntryCount(); ++i) {
            const bool failed = std::find(events.begin(), events.end(), "badcrc " + std::to_string(i)) != events.end();
            EXPECT_EQ(FileExists(dest + "\\" + zip.Filename(i)), !failed) << zip.Filename(i);
        }
        if (workers == 0)
            serial = events;
        else
            EXPECT_EQ(events, serial);
    }
    // Tables to be had again: the same archive extracts whole.
    FailDecodeTableAllocations(false);
    TArcUnZip zip(nullptr);
    zip.SetZipName(FixturePath("implode_8k_lit.zip"));
    zip.SetDestDir(WinPath(tmp.Path() + "again"));
    zip.SetDoAll(true);
    const int done = zip.UnZip();
    EXPECT_EQ(done, zip.EntryCount());
}

// The notice of tables that cannot be had comes where the entry is, with workers as without:
// no entry after it has begun, so neither the folder nor the file of a later entry is there yet.
TEST(LegacyEntries, TablesOutOfMemoryNoticeComesBeforeTheNextEntry) {
    // The imploded data of the fixture's first entry, with its flags (dictionary, literal tree).
    const std::string fixture = ReadAll(FixturePath("implode_8k_lit.zip"));
    ASSERT_GT(fixture.size(), 30u);
    const auto u16 = [&](size_t at) { return static_cast<uint16_t>(uint8_t(fixture[at]) | uint8_t(fixture[at + 1]) << 8); };
    const uint32_t packed = u16(18) | static_cast<uint32_t>(u16(20)) << 16;
    const uint16_t flags = u16(6);
    TTestEntry imploded{"first.bin", "x", 6};
    imploded.RawCompressed = fixture.substr(30u + u16(26) + u16(28), packed);
    std::vector<TPlacement> where;
    std::string bytes = BuildZip({imploded, {"later/page.htm", "page"}}, &where);
    for (int64_t at : {where[0].LocalHeader + 6, where[0].CentralHeader + 8}) {
        bytes[static_cast<size_t>(at)] = static_cast<char>(flags & 0xFF);
        bytes[static_cast<size_t>(at) + 1] = static_cast<char>(flags >> 8);
    }
    TempDir tmp;
    const std::string base = WinPath(tmp.Path());
    {
        std::ofstream f(tmp.Path() + "a.zip", std::ios::binary);
        f << bytes;
    }
    const TTablesOutOfMemory failing;
    for (int workers : {0, 1, 8}) {
        SCOPED_TRACE(workers);
        const std::string dest = base + "out" + std::to_string(workers);
        TArcUnZip zip(nullptr);
        zip.SetZipName(base + "a.zip");
        zip.SetDestDir(dest);
        zip.SetRecreateDirs(true);
        zip.SetDoAll(true);
        std::vector<std::string> seen;
        zip.OnHandleMessage = [&](TObject*, int id, const AnsiString&, const AnsiString&, uint32_t, int& answer) {
            seen.push_back(std::to_string(id) + (DirExists(dest + "\\later") ? " later folder" : "") +
                           (FileExists(dest + "\\later\\page.htm") ? " later file" : ""));
            answer = 1;
        };
        TUnZipRun run(zip, false);
        run.SetWorkers(workers);
        EXPECT_EQ(run.UnZip(), 1);
        EXPECT_EQ(seen, std::vector<std::string>{"193"});
        EXPECT_EQ(ReadAll(dest + "\\later\\page.htm"), "page");
    }
}
