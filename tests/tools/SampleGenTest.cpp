// Checks the generated installation with readers written apart from the generator (the program's
// binary INI decoder, a small PE walk and INI parse of this test's own), so a fault in a writer is
// not mirrored by the check.
#include "gamedata/uIniDecoder.h"
#include "platform/GamePath.h"
#include "platform/PeStringTable.h"
#include "platform/WineRegistry.h"
#include "samplegen/IniWriter.h"
#include "samplegen/PeWriter.h"
#include "samplegen/SampleGen.h"
#include "support/Classes.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <unistd.h>

namespace fs = std::filesystem;
using namespace qmz::samplegen;

namespace {

std::string ReadAll(const fs::path& p)
{
    std::ifstream in(p, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

std::string Lower(std::string s)
{
    for (auto& c : s)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

std::string Trim(const std::string& s)
{
    std::size_t a = s.find_first_not_of(" \t\r\n");
    std::size_t b = s.find_last_not_of(" \t\r\n");
    return a == std::string::npos ? std::string() : s.substr(a, b - a + 1);
}

// Resolves a Windows-style relative path against real folders, ignoring letter case.
fs::path Resolve(fs::path base, const std::string& windowsPath)
{
    std::stringstream parts(windowsPath);
    std::string part;
    while (std::getline(parts, part, '\\')) {
        if (part.empty())
            continue;
        fs::path found;
        if (fs::is_directory(base))
            for (const auto& e : fs::directory_iterator(base))
                if (Lower(e.path().filename().string()) == Lower(part))
                    found = e.path();
        if (found.empty())
            return {};
        base = found;
    }
    return base;
}

class TempDir {
public:
    TempDir()
    {
        static int n = 0;
        path_ = fs::temp_directory_path() /
                ("qmz_samplegen_" + std::to_string(::getpid()) + "_" + std::to_string(++n));
        fs::remove_all(path_);
        fs::create_directories(path_);
    }
    ~TempDir() { fs::remove_all(path_); }
    const fs::path& path() const { return path_; }

private:
    fs::path path_;
};

// ---- minimal readers -------------------------------------------------------------------

struct Section {
    std::string name;
    std::vector<std::pair<std::string, std::string>> lines;  // key, value as text
    std::string Get(const std::string& key) const
    {
        std::string v;
        for (const auto& [k, val] : lines)
            if (Lower(k) == Lower(key))
                v = val;
        return v;
    }
};

std::vector<Section> ParseText(const std::string& text)
{
    std::vector<Section> out;
    std::stringstream in(text);
    std::string line;
    while (std::getline(in, line)) {
        line = Trim(line);
        if (line.empty() || line[0] == ';')
            continue;
        if (line[0] == '[') {
            out.push_back({line.substr(1, line.find(']') - 1), {}});
            continue;
        }
        line = Trim(line.substr(0, line.find(';')));
        const auto eq = line.find('=');
        if (!out.empty() && eq != std::string::npos)
            out.back().lines.emplace_back(Trim(line.substr(0, eq)), Trim(line.substr(eq + 1)));
    }
    return out;
}

std::uint32_t Le(const std::string& b, std::size_t at, int width)
{
    if (at + width > b.size())
        throw std::out_of_range("read past end");
    std::uint32_t v = 0;
    for (int i = width - 1; i >= 0; --i)
        v = (v << 8) | static_cast<unsigned char>(b[at + i]);
    return v;
}

// The binary INI through the program's own decoder, as text sections.
std::vector<Section> DecodeBinary(const std::string& bytes)
{
    qmz::TStringList lines;
    EXPECT_EQ(qmz::DecodeBiniBuffer(bytes, &lines), qmz::bsSuccess);
    return ParseText(lines.Text());
}

// Every string of every RT_STRING block, keyed by string id, found by walking the resource tree.
std::map<std::uint32_t, std::u16string> ReadStringTable(const std::string& f)
{
    EXPECT_EQ(f.substr(0, 2), "MZ");
    const std::size_t pe = Le(f, 0x3C, 4);
    EXPECT_EQ(f.substr(pe, 4), std::string("PE\0\0", 4));
    const std::size_t nSections = Le(f, pe + 6, 2);
    const std::size_t opt = pe + 24;
    EXPECT_EQ(Le(f, opt, 2), 0x10Bu);  // PE32
    const std::uint32_t rsrcRva = Le(f, opt + 96 + 16, 4);
    std::size_t rsrcFile = 0;
    bool found = false;
    for (std::size_t s = 0, at = opt + Le(f, pe + 20, 2); s < nSections; ++s, at += 40) {
        const std::uint32_t va = Le(f, at + 12, 4), size = Le(f, at + 16, 4), raw = Le(f, at + 20, 4);
        if (rsrcRva >= va && rsrcRva < va + size) {
            rsrcFile = raw + (rsrcRva - va);
            found = true;
        }
    }
    EXPECT_TRUE(found);
    auto rvaToFile = [&](std::uint32_t rva) { return rsrcFile + (rva - rsrcRva); };

    std::map<std::uint32_t, std::u16string> strings;
    auto entries = [&](std::size_t dir) {
        std::vector<std::pair<std::uint32_t, std::uint32_t>> list;
        const std::size_t n = Le(f, rsrcFile + dir + 12, 2) + Le(f, rsrcFile + dir + 14, 2);
        for (std::size_t i = 0; i < n; ++i)
            list.emplace_back(Le(f, rsrcFile + dir + 16 + 8 * i, 4), Le(f, rsrcFile + dir + 20 + 8 * i, 4));
        return list;
    };
    for (const auto& [type, typeDir] : entries(0)) {
        if (type != 6)
            continue;
        for (const auto& [block, nameDir] : entries(typeDir & 0x7FFFFFFF)) {
            const auto langs = entries(nameDir & 0x7FFFFFFF);
            EXPECT_EQ(langs.size(), 1u);
            const std::size_t dataEntry = rsrcFile + langs.at(0).second;
            std::size_t at = rvaToFile(Le(f, dataEntry, 4));
            for (std::uint32_t k = 0; k < 16; ++k) {
                const std::uint32_t len = Le(f, at, 2);
                std::u16string s;
                for (std::uint32_t c = 0; c < len; ++c)
                    s += static_cast<char16_t>(Le(f, at + 2 + 2 * c, 2));
                at += 2 + 2 * len;
                if (len)
                    strings[(block - 1) * 16 + k] = s;
            }
        }
    }
    return strings;
}

// Two INI texts agree when their sections, keys and values do; numbers compare by value,
// since the binary form prints floats with six decimals.
void ExpectSameSections(const std::vector<Section>& a, const std::vector<Section>& b, const std::string& what)
{
    ASSERT_EQ(a.size(), b.size()) << what;
    auto tokens = [](const std::string& v) {
        std::vector<std::string> t;
        std::size_t start = 0;
        for (std::size_t p; (p = v.find(", ", start)) != std::string::npos; start = p + 2)
            t.push_back(v.substr(start, p - start));
        t.push_back(v.substr(start));
        return t;
    };
    for (std::size_t s = 0; s < a.size(); ++s) {
        ASSERT_EQ(a[s].name, b[s].name) << what;
        ASSERT_EQ(a[s].lines.size(), b[s].lines.size()) << what << " [" << a[s].name << "]";
        for (std::size_t l = 0; l < a[s].lines.size(); ++l) {
            EXPECT_EQ(a[s].lines[l].first, b[s].lines[l].first) << what;
            const auto ta = tokens(a[s].lines[l].second), tb = tokens(b[s].lines[l].second);
            ASSERT_EQ(ta.size(), tb.size()) << what << ": " << a[s].lines[l].second;
            for (std::size_t t = 0; t < ta.size(); ++t) {
                char *ea, *eb;
                const double da = std::strtod(ta[t].c_str(), &ea), db = std::strtod(tb[t].c_str(), &eb);
                if (!ta[t].empty() && !*ea && !tb[t].empty() && !*eb)
                    EXPECT_NEAR(da, db, 1e-6 * std::max(1.0, std::abs(da))) << what;
                else
                    EXPECT_EQ(ta[t], tb[t]) << what;
            }
        }
    }
}

std::map<std::string, std::string> FilesUnder(const fs::path& root)
{
    std::map<std::string, std::string> files;
    for (const auto& e : fs::recursive_directory_iterator(root)) {
        const std::string rel = e.path().lexically_relative(root).generic_string();
        if (e.is_symlink())
            files[rel] = "-> " + fs::read_symlink(e.path()).string();
        else if (e.is_regular_file())
            files[rel] = ReadAll(e.path());
    }
    return files;
}

}  // namespace

// ---- writers on their own ---------------------------------------------------------------

TEST(PeWriter, EveryStringIsFoundAtItsIdAndGapsStayEmpty)
{
    const std::map<std::uint16_t, std::string> in = {
        {1, "Alpha"}, {15, "End of block one"}, {16, "Start of block two"}, {300, "Caf\xC3\xA9 \xC3\x96mer"},
        {4095, "x"}, {65535, "Last id"}};
    const std::string dll = BuildStringTableDll(in);
    EXPECT_EQ(dll.size() % 0x200, 0u);
    EXPECT_EQ(Le(dll, Le(dll, 0x3C, 4) + 22, 2) & 0x2000, 0x2000u) << "marked as a DLL";

    const auto out = ReadStringTable(dll);
    EXPECT_EQ(out.size(), in.size());
    EXPECT_EQ(out.at(1), u"Alpha");
    EXPECT_EQ(out.at(15), u"End of block one");
    EXPECT_EQ(out.at(16), u"Start of block two");
    EXPECT_EQ(out.at(300), u"Caf\u00e9 \u00d6mer");
    EXPECT_EQ(out.at(65535), u"Last id");
    EXPECT_EQ(out.count(2), 0u) << "an id without a string reads as empty";
}

TEST(IniWriter, BinaryAndTextFormsCarryTheSameEntries)
{
    IniDoc doc;
    doc.Section("Good").Add("nickname", {"ore"}).Add("price", {90, 1.5}).Add("delta", {-1, 0.1});
    doc.Section("Good").Add("nickname", {"ice"});

    EXPECT_EQ(IniToText(doc),
              "[Good]\r\nnickname = ore\r\nprice = 90, 1.5\r\ndelta = -1, 0.1\r\n\r\n[Good]\r\nnickname = ice\r\n\r\n");
    const auto decoded = DecodeBinary(IniToBini(doc));
    ASSERT_EQ(decoded.size(), 2u);
    EXPECT_EQ(decoded[0].lines[1].second, "90, 1.500000");
    EXPECT_EQ(decoded[0].lines[2].second, "-1, 0.100000");
    EXPECT_EQ(decoded[1].lines[0].second, "ice");
    ExpectSameSections(decoded, ParseText(IniToText(doc)), "small document");
}

TEST(IniWriter, NamesStayAddressableBehindLongValueStrings)
{
    // Names take 16-bit offsets: a long value early on must not push a later key out of reach.
    IniDoc doc;
    doc.Section("Text").Add("body", {std::string(70000, 'x')});
    doc.Section("After").Add("late_key", {"v"});
    const auto decoded = DecodeBinary(IniToBini(doc));
    ASSERT_EQ(decoded.size(), 2u);
    EXPECT_EQ(decoded[1].name, "After");
    EXPECT_EQ(decoded[1].lines.at(0).first, "late_key");

    IniDoc tooMany;
    tooMany.Section("S").Add("k", std::vector<IniValue>(256, IniValue(1)));
    EXPECT_THROW(IniToBini(tooMany), std::length_error);
}

// ---- the generated installation ---------------------------------------------------------

TEST(SampleGen, SizesByName)
{
    EXPECT_EQ(Options::ForSize("typical").systems, 48);
    EXPECT_EQ(Options::ForSize("large").marketLines, 100000);
    EXPECT_THROW(Options::ForSize("huge"), std::invalid_argument);
}

TEST(SampleGen, SameSeedGivesIdenticalBytes)
{
    TempDir a, b, c;
    Options o = Options::ForSize("small");
    o.seed = 42;
    o.binaryFiles = true;
    o.winePrefix = true;
    Generate(a.path(), o);
    Generate(b.path(), o);
    const auto fa = FilesUnder(a.path() / "wineprefix"), fb = FilesUnder(b.path() / "wineprefix");
    EXPECT_GT(fa.size(), 20u);
    EXPECT_TRUE(fa == fb);

    o.seed = 43;
    Generate(c.path(), o);
    EXPECT_FALSE(fa == FilesUnder(c.path() / "wineprefix"));

    // A second run into the same folder replaces the first, prefix included.
    o.winePrefix = false;
    Generate(c.path(), o);
    EXPECT_FALSE(fs::exists(c.path() / "wineprefix"));
    EXPECT_TRUE(fs::exists(c.path() / "Starvagant"));
}

TEST(SampleGen, ManifestAgreesWithTheFiles)
{
    TempDir dir;
    const Manifest m = Generate(dir.path(), Options::ForSize("small"));
    EXPECT_EQ(ReadAll(dir.path() / "manifest.txt"), m.ToText());
    const fs::path exe = Resolve(m.installDir, "exe");
    const fs::path data = Resolve(m.installDir, "data");
    ASSERT_FALSE(exe.empty());
    ASSERT_FALSE(data.empty());

    const auto mainIni = ParseText(ReadAll(Resolve(exe, "starvagant.ini")));
    std::map<std::string, std::vector<std::string>> files;  // kind -> files, as the main INI lists them
    std::vector<std::string> dlls;
    for (const auto& sec : mainIni) {
        for (const auto& [k, v] : sec.lines) {
            if (sec.name == "Data")
                files[Lower(k)].push_back(v);
            if (sec.name == "Resources" && k == "DLL")
                dlls.push_back(v);
        }
    }
    auto joined = [&](const std::string& kind) {
        std::vector<Section> all;
        for (const auto& f : files[kind]) {
            const fs::path p = Resolve(data, f);
            EXPECT_FALSE(p.empty()) << f;
            const auto secs = ParseText(ReadAll(p));
            all.insert(all.end(), secs.begin(), secs.end());
        }
        return all;
    };
    auto named = [](const std::vector<Section>& secs, const std::string& name) {
        std::vector<Section> out;
        for (const auto& s : secs)
            if (Lower(s.name) == Lower(name))
                out.push_back(s);
        return out;
    };

    // Resource strings: every name number of groups, systems, bases and equipment finds a text.
    std::vector<std::map<std::uint32_t, std::u16string>> tables;
    for (const auto& d : dlls)
        tables.push_back(ReadStringTable(ReadAll(Resolve(exe, d))));
    ASSERT_EQ(static_cast<int>(tables.size()), m.resourceDlls);
    int strings = 0;
    for (const auto& t : tables)
        strings += static_cast<int>(t.size());
    EXPECT_EQ(strings, m.resourceStrings);
    auto text = [&](const std::string& ids) {
        const unsigned long n = std::stoul(ids);
        const std::size_t lib = n / 65536 == 0 ? 0 : n / 65536 - 1;
        const auto& t = tables.at(lib);
        const auto it = t.find(n % 65536);
        return it == t.end() ? std::u16string() : it->second;
    };

    const auto universe = joined("universe");
    const auto groups = named(joined("groups"), "Group");
    const auto systems = named(universe, "System");
    const auto bases = named(universe, "Base");
    EXPECT_EQ(static_cast<int>(groups.size()), m.factions);
    EXPECT_EQ(static_cast<int>(systems.size()), m.systems);
    EXPECT_EQ(static_cast<int>(bases.size()), m.universeBases);
    for (const auto& g : groups) {
        EXPECT_FALSE(text(g.Get("ids_name")).empty()) << g.Get("nickname");
        EXPECT_FALSE(text(g.Get("ids_short_name")).empty()) << g.Get("nickname");
    }

    // Dockable bases: placed by a system file's object with a planet or station archetype
    // and the base's own name number.
    std::map<std::string, std::string> baseIds;
    for (const auto& b : bases) {
        baseIds[Lower(b.Get("nickname"))] = b.Get("strid_name");
        EXPECT_FALSE(text(b.Get("strid_name")).empty());
    }
    std::set<std::string> baseArchs;
    for (const auto& s : named(joined("solar"), "Solar"))
        if (Lower(s.Get("type")) == "planet" || Lower(s.Get("type")) == "station")
            baseArchs.insert(Lower(s.Get("nickname")));
    EXPECT_EQ(static_cast<int>(baseArchs.size()), m.baseArchetypes);
    std::set<std::string> placed;
    for (const auto& sys : systems) {
        EXPECT_FALSE(text(sys.Get("strid_name")).empty());
        const fs::path p = Resolve(Resolve(data, "universe"), sys.Get("file"));
        ASSERT_FALSE(p.empty()) << sys.Get("file");
        for (const auto& obj : named(ParseText(ReadAll(p)), "Object")) {
            const std::string base = Lower(obj.Get("base"));
            if (baseIds.count(base) && baseArchs.count(Lower(obj.Get("Archetype"))) &&
                obj.Get("ids_name") == baseIds[base])
                placed.insert(base);
        }
    }
    EXPECT_EQ(static_cast<int>(placed.size()), m.dockableBases);

    // Goods the loader keeps: named by a market, a commodity or equipment of a known type.
    std::map<std::string, Section> goods, equipment;
    for (const auto& g : named(joined("goods"), "Good"))
        goods[Lower(g.Get("nickname"))] = g;
    EXPECT_EQ(static_cast<int>(goods.size()), m.goods);
    const std::set<std::string> knownTypes = {"shieldgenerator", "power", "engine", "scanner", "tractor",
                                              "repairkit", "shieldbattery", "countermeasuredropper",
                                              "countermeasure", "thruster", "cloakingdevice", "gun",
                                              "munition", "minedropper", "mine"};
    for (const auto& e : joined("equipment")) {
        Section s = e;
        s.lines.emplace_back("equipment_type", Lower(e.name));
        equipment[Lower(e.Get("nickname"))] = s;
    }
    int lines = 0;
    std::set<std::string> marketGoods;
    std::map<std::pair<std::string, std::string>, bool> cells;
    for (const auto& bg : named(joined("markets"), "BaseGood")) {
        for (const auto& [k, v] : bg.lines) {
            if (Lower(k) != "marketgood")
                continue;
            ++lines;
            std::vector<std::string> t;
            std::stringstream in(v);
            for (std::string tok; std::getline(in, tok, ',');)
                t.push_back(Trim(tok));
            ASSERT_EQ(t.size(), 7u) << v;
            marketGoods.insert(Lower(t[0]));
            if (placed.count(Lower(bg.Get("base"))))
                cells[{Lower(bg.Get("base")), Lower(t[0])}] = std::stod(t[3]) * std::stod(t[4]) > 0;
        }
    }
    EXPECT_EQ(lines, m.marketLines);
    EXPECT_EQ(static_cast<int>(marketGoods.size()), m.marketGoods);
    std::set<std::string> traded;
    for (const auto& g : marketGoods) {
        const Section& good = goods.at(g);
        const Section& eq = equipment[Lower(good.Get("equipment"))];
        const std::string cat = Lower(good.Get("category"));
        if (cat == "commodity" || (cat == "equipment" && knownTypes.count(eq.Get("equipment_type")))) {
            traded.insert(g);
            EXPECT_FALSE(text(eq.Get("ids_name")).empty()) << g;
        }
    }
    EXPECT_EQ(static_cast<int>(traded.size()), m.tradedGoods);
    int cellCount = 0, sold = 0;
    for (const auto& [key, isSold] : cells)
        if (traded.count(key.second))
            ++cellCount, sold += isSold;
    EXPECT_EQ(cellCount, m.marketCells);
    EXPECT_EQ(sold, m.soldCells);

    // The named size, as the demo and most tests expect it.
    EXPECT_EQ(m.systems, 8);
    EXPECT_EQ(m.dockableBases, 30);
    EXPECT_EQ(m.goods, 80);
    EXPECT_GT(m.soldCells, 0);
    EXPECT_LT(m.soldCells, m.marketCells) << "some goods are only bought";
    EXPECT_LT(m.tradedGoods, m.marketGoods) << "ships and unknown equipment are in markets too";
}

TEST(SampleGen, BinaryFilesDecodeToTheirTextTwins)
{
    TempDir textDir, binDir;
    Options o = Options::ForSize("small");
    o.seed = 7;
    const Manifest text = Generate(textDir.path(), o);
    o.binaryFiles = true;
    const Manifest bin = Generate(binDir.path(), o);

    ASSERT_GE(bin.binaryFiles.size(), 5u);
    EXPECT_TRUE(text.binaryFiles.empty());
    for (const auto& rel : bin.binaryFiles) {
        const std::string bytes = ReadAll(bin.installDir / rel);
        ASSERT_EQ(bytes.substr(0, 4), "BINI") << rel;
        ExpectSameSections(DecodeBinary(bytes), ParseText(ReadAll(text.installDir / rel)), rel);
    }
    // Everything else is the same file in both installations.
    auto a = FilesUnder(text.installDir), b = FilesUnder(bin.installDir);
    for (const auto& rel : bin.binaryFiles)
        a.erase(rel), b.erase(rel);
    EXPECT_TRUE(a == b);
}

TEST(SampleGen, WinePrefixHoldsRegistryDrivesAndMods)
{
    TempDir dir;
    Options o = Options::ForSize("small");
    o.winePrefix = true;
    o.mods = {"Trade Lanes Extended", "Better Markets", "Dark & Deep"};
    const Manifest m = Generate(dir.path(), o);
    EXPECT_EQ(m.modNames, o.mods);

    const std::string reg = ReadAll(m.winePrefix / "system.reg");
    EXPECT_EQ(reg.rfind("WINE REGISTRY Version 2\n", 0), 0u);
    EXPECT_NE(reg.find("[Software\\\\Starvagant Games\\\\Starvagant\\\\1.0] "), std::string::npos);
    EXPECT_NE(reg.find("\"AppPath\"=\"C:\\\\Games\\\\Starvagant\""), std::string::npos);
    EXPECT_EQ(m.appPath, "C:\\Games\\Starvagant");

    // AppPath through the c: link lands on the installation.
    const fs::path viaDrive = m.winePrefix / "dosdevices" / "c:" / "Games" / "Starvagant";
    EXPECT_TRUE(fs::equivalent(viaDrive, m.installDir));
    EXPECT_TRUE(fs::equivalent(m.winePrefix / "dosdevices" / "z:", "/"));

    // Each "mods\" value names a folder under Install_Dir holding a script.xml with the name.
    const std::string key = "[Software\\\\Starvagant Mod Manager] ";
    const auto at = reg.find(key);
    ASSERT_NE(at, std::string::npos);
    std::stringstream in(reg.substr(at));
    std::string line, installDir;
    std::vector<std::string> modFolders;
    std::getline(in, line);
    while (std::getline(in, line) && !line.empty()) {
        if (line.rfind("\"Install_Dir\"=\"", 0) == 0)
            installDir = line.substr(15, line.size() - 16);
        if (Lower(line).find("mods\\\\") != std::string::npos)
            modFolders.push_back(line.substr(1, line.find('"', 1) - 1));
    }
    ASSERT_EQ(installDir.rfind("C:\\\\", 0), 0u);
    ASSERT_EQ(modFolders.size(), o.mods.size());
    std::string unescaped;
    for (std::size_t i = 4; i < installDir.size(); ++i)
        if (!(installDir[i] == '\\' && installDir[i + 1] == '\\'))
            unescaped += installDir[i];
    const fs::path mm = Resolve(m.winePrefix / "drive_c", unescaped);
    ASSERT_FALSE(mm.empty()) << installDir;
    for (std::size_t i = 0; i < modFolders.size(); ++i) {
        std::string folder = modFolders[i];
        folder.erase(folder.find("\\\\"), 1);
        const fs::path script = Resolve(mm, folder + "\\script.xml");
        ASSERT_FALSE(script.empty()) << folder;
        EXPECT_NE(Lower(ReadAll(script)).find("name=\"" + Lower(i == 2 ? "Dark &amp; Deep" : o.mods[i])),
                  std::string::npos);
    }
}

// The program's own platform layer finds everything the generator promises: the registry values,
// the installation through drive C:, the data files in any letter case and the resource strings.
TEST(SampleGen, PlatformLayerReadsTheGeneratedPrefix)
{
    TempDir dir;
    Options o = Options::ForSize("small");
    o.winePrefix = true;
    o.binaryFiles = true;
    const Manifest m = Generate(dir.path(), o);

    using qmz::platform::RegistryRoot;
    const auto reg = qmz::platform::WineRegistry::LoadPrefix(m.winePrefix);
    ASSERT_TRUE(reg);
    const auto appPath = reg->ReadString(RegistryRoot::LocalMachine, "\\SOFTWARE\\Starvagant Games\\Starvagant\\1.0", "AppPath");
    ASSERT_TRUE(appPath);
    EXPECT_EQ(*appPath, m.appPath);
    const auto* mm = reg->OpenKey(RegistryRoot::LocalMachine, "\\SOFTWARE\\Starvagant Mod Manager");
    ASSERT_TRUE(mm);
    std::vector<std::string> mods;
    for (const auto& name : mm->ValueNames())
        if (Lower(name).find("mods\\") != std::string::npos)
            mods.push_back(name);
    EXPECT_EQ(mods.size(), m.modNames.size());

    const char* oldPrefix = std::getenv("WINEPREFIX");
    const std::string saved = oldPrefix ? oldPrefix : "";
    ::setenv("WINEPREFIX", m.winePrefix.c_str(), 1);
    qmz::platform::ResetGamePathCache();
    const auto mainIni = qmz::platform::ResolveGamePath(*appPath + "\\exe\\..\\data\\..\\EXE\\starvagant.ini");
    const auto modManager = reg->ReadString(RegistryRoot::LocalMachine, "\\SOFTWARE\\Starvagant Mod Manager", "Install_Dir");
    const bool modScriptFound =
        modManager && !mods.empty() &&
        qmz::platform::GameFileExists(qmz::platform::JoinGamePath(*modManager, mods[0] + "\\script.xml"));
    if (oldPrefix)
        ::setenv("WINEPREFIX", saved.c_str(), 1);
    else
        ::unsetenv("WINEPREFIX");
    qmz::platform::ResetGamePathCache();
    ASSERT_TRUE(mainIni);
    EXPECT_TRUE(fs::equivalent(*mainIni, Resolve(m.installDir, "exe\\starvagant.ini")));
    EXPECT_TRUE(modScriptFound);

    for (const auto& rel : {"data\\universe\\universe.ini", "DATA\\EQUIPMENT\\MARKET_MISC.INI", "exe\\stvnames.dll"})
        EXPECT_TRUE(qmz::platform::GameFileExists(rel, m.installDir)) << rel;

    std::size_t strings = 0;
    for (const char* dll : {"StvResources.dll", "StvNames.dll", "StvInfoCards.dll"}) {
        const auto path = qmz::platform::ResolveGamePath(std::string("EXE\\") + dll, m.installDir);
        ASSERT_TRUE(path) << dll;
        const auto table = qmz::platform::PeStringTable::FromFile(*path);
        EXPECT_FALSE(table.LoadString(1).empty()) << dll;
        strings += table.Count();
    }
    EXPECT_EQ(static_cast<int>(strings), m.resourceStrings);
}
