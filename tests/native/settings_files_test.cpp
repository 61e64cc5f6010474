#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ui/caption_fade.h"
#include "appearance/settings_files.h"
#include "appearance/settings_session.h"
#include "ui/shadow_band.h"
#include "platform/fake/recording_platform.h"

namespace kavo {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

const std::string kYes(kTrueText);
const std::string kNo(kFalseText);
const std::string kDefaultCode =
    "15527148;3487029;0;0;0;" + kNo + ";12632256;3487029;15329769;3487029;16777215;16777215";

class SettingsFilesTest : public ::testing::Test {
  protected:
    SettingsFilesTest() { disk.AddFolder("C:\\kavo"); }
    std::string LinkIni() const { return disk.FileBytes("C:\\kavo\\link.ini"); }
    std::string ColorIni() const { return disk.FileBytes("C:\\kavo\\color.ini"); }
    RecordingPlatform disk;
};

TEST(ColorValueTest, ReadsTheDecimalTextKeptToTwentyFourBits) {
    const struct {
        const char* text;
        ColorRef color;
    } cases[] = {
        {"15527148", 0xECECEC},
        {"-1", 0xFFFFFF},
        {"abc", 0},
        {"", 0},
        {"  255", 0xFF},
        {"+16", 16},
        {"00", 0},
        {"16777216", 0},
        {"33554431", 0xFFFFFF},
        {"12abc", 12},
        {"99999999999", 0x76E7FF},
        {"-16777215", 1},
    };
    for (const auto& c : cases) EXPECT_EQ(ColorValue(c.text), c.color) << c.text;
}

TEST(FlagTest, OnlyTheExactTrueTextIsTrue) {
    EXPECT_TRUE(FlagValue(kYes));
    EXPECT_FALSE(FlagValue(kNo));
    EXPECT_FALSE(FlagValue(kYes + " "));
    EXPECT_FALSE(FlagValue("1"));
    EXPECT_EQ(FlagText(true), kYes);
    EXPECT_EQ(FlagText(false), kNo);
}

TEST_F(SettingsFilesTest, DefaultsAreWrittenWithoutALineEndAfterTheLastLine) {
    EXPECT_FALSE(SettingsFileExists(disk));
    ASSERT_TRUE(WriteDefaultSettings(disk));
    EXPECT_TRUE(SettingsFileExists(disk));
    EXPECT_EQ(LinkIni(), kNo + "\r\n" + kNo + "\r\n15527148\r\n3487029\r\n0\r\n0\r\n0\r\n" + kNo +
                             "\r\n12632256\r\n3487029\r\n15329769\r\n3487029\r\n16777215\r\n"
                             "16777215");
    EXPECT_EQ(ReadSettings(disk), DefaultSettings());
    EXPECT_EQ(SchemeCodeFrom(ReadSettings(disk)), kDefaultCode);
}

TEST_F(SettingsFilesTest, MissingAndShortFilesFallBackLineByLine) {
    EXPECT_EQ(ReadSettings(disk), DefaultSettings());  // missing: nothing is written
    EXPECT_FALSE(SettingsFileExists(disk));

    disk.AddFile("C:\\kavo\\link.ini", kYes + "\r\n" + kNo + "\r\n255\r\n");
    SettingsRecord expected = DefaultSettings();
    expected[kAlwaysOnTopLine] = kYes;
    expected[kWindowColorLine] = "255";
    EXPECT_EQ(ReadSettings(disk), expected);
    EXPECT_EQ(LinkIni(), kYes + "\r\n" + kNo + "\r\n255\r\n");  // left alone until saved

    // Saving writes all fourteen lines, each followed by CR LF.
    ASSERT_TRUE(WriteSettings(disk, ReadSettings(disk)));
    EXPECT_EQ(ReadSettings(disk), expected);
    EXPECT_EQ(LinkIni().substr(LinkIni().size() - 10), "16777215\r\n");
}

TEST_F(SettingsFilesTest, LinesAfterTheFourteenthAreCarriedThrough) {
    SettingsRecord record = DefaultSettings();
    record.push_back("extra");
    ASSERT_TRUE(WriteSettings(disk, record));
    EXPECT_EQ(ReadSettings(disk), record);
}

TEST_F(SettingsFilesTest, SchemesAreListedOneALineWhateverTheLineHolds) {
    disk.AddFile("C:\\kavo\\color.ini",
                 "dark=1;2;3;4;5;" + kNo +
                     ";7;8;9;10;11;12\r\n"  // a scheme
                     "=a;b\r\n"             // empty name
                     "\r\n"                 // empty line
                     "no separator\r\n"     // no "="
                     "dark=x=y\r\n"         // same name; second "="
                     "last=z");             // no CR LF at the end
    EXPECT_THAT(ReadSchemes(disk),
                ElementsAre(ColorScheme{"dark", "1;2;3;4;5;" + kNo + ";7;8;9;10;11;12"},
                            ColorScheme{"", "a;b"}, ColorScheme{"", ""}, ColorScheme{"", ""},
                            ColorScheme{"dark", "x"}, ColorScheme{"last", "z"}));
}

TEST_F(SettingsFilesTest, AddingAppendsAndDeletingRemovesOnlyThatPosition) {
    EXPECT_THAT(ReadSchemes(disk), IsEmpty());
    ASSERT_EQ(AddScheme(disk, "a", "1"), SchemeStoreResult::Stored);  // creates the file
    ASSERT_EQ(AddScheme(disk, "a", "2"), SchemeStoreResult::Stored);  // same name, kept
    ASSERT_EQ(AddScheme(disk, "", "3"), SchemeStoreResult::Stored);   // empty name, kept
    EXPECT_EQ(ColorIni(), "a=1\r\na=2\r\n=3\r\n");

    ASSERT_TRUE(DeleteScheme(disk, 1));
    EXPECT_THAT(ReadSchemes(disk), ElementsAre(ColorScheme{"a", "1"}, ColorScheme{"", "3"}));
    ASSERT_TRUE(DeleteScheme(disk, 1));
    EXPECT_THAT(ReadSchemes(disk), ElementsAre(ColorScheme{"a", "1"}));

    // Out of range and "none selected" remove nothing and write nothing; a deletion takes its
    // own line and leaves every other byte as it was.
    disk.AddFile("C:\\kavo\\color.ini", "a=1\r\nb=2");
    for (int index : {-1, 2, 99}) {
        disk.ClearCalls();
        ASSERT_TRUE(DeleteScheme(disk, index));
        EXPECT_EQ(ColorIni(), "a=1\r\nb=2") << index;
        EXPECT_THAT(disk.CallsStartingWith({"ReplaceFileAtomically"}), IsEmpty()) << index;
    }
    ASSERT_TRUE(DeleteScheme(disk, 0));
    EXPECT_EQ(ColorIni(), "b=2");
}

TEST_F(SettingsFilesTest, NamesThatWouldNotReadBackAreRefused) {
    for (const std::string name : {"a=b", "=", "two\r\nlines", "line\n"}) {
        EXPECT_EQ(AddScheme(disk, name, kDefaultCode), SchemeStoreResult::NameRefused) << name;
        EXPECT_FALSE(disk.HasFile("C:\\kavo\\color.ini")) << name;
    }
    // 新建配色 in GBK: its second bytes are no "=".
    const std::string gbkName = "\xD0\xC2\xBD\xA8\xC5\xE4\xC9\xAB";
    EXPECT_EQ(AddScheme(disk, gbkName, kDefaultCode), SchemeStoreResult::Stored);
    EXPECT_THAT(ReadSchemes(disk), ElementsAre(ColorScheme{gbkName, kDefaultCode}));
}

TEST_F(SettingsFilesTest, EveryWriteReplacesTheFileInOneStepAndAFailedOneLeavesTheOldFile) {
    disk.AddFile("C:\\kavo\\link.ini", "old settings");
    disk.AddFile("C:\\kavo\\color.ini", "a=1\r\n");
    disk.unwritablePaths = {"C:\\kavo\\link.ini", "C:\\kavo\\color.ini"};
    EXPECT_FALSE(WriteSettings(disk, DefaultSettings()));
    EXPECT_FALSE(WriteDefaultSettings(disk));
    EXPECT_EQ(AddScheme(disk, "b", "2"), SchemeStoreResult::WriteFailed);
    EXPECT_FALSE(DeleteScheme(disk, 0));
    EXPECT_EQ(LinkIni(), "old settings");
    EXPECT_EQ(ColorIni(), "a=1\r\n");

    // Positive control: the same writes go through once the files can be written, each as one
    // whole-file replacement and never as a truncating write.
    disk.unwritablePaths.clear();
    disk.ClearCalls();
    EXPECT_TRUE(WriteSettings(disk, DefaultSettings()));
    EXPECT_EQ(AddScheme(disk, "b", "2"), SchemeStoreResult::Stored);
    EXPECT_TRUE(DeleteScheme(disk, 0));
    EXPECT_EQ(ReadSettings(disk), DefaultSettings());
    EXPECT_EQ(ColorIni(), "b=2\r\n");
    EXPECT_THAT(disk.CallsStartingWith({"WriteWholeFile", "ReplaceFileAtomically"}),
                ElementsAre("ReplaceFileAtomically(C:\\kavo\\link.ini)",
                            "ReplaceFileAtomically(C:\\kavo\\color.ini)",
                            "ReplaceFileAtomically(C:\\kavo\\color.ini)"));
}

// A file edited by hand, or by another system, may end its lines with LF or CR alone; each
// line is still a line of its own, and a deletion takes only its own.
TEST_F(SettingsFilesTest, LineEndsOfEveryKindReadAlikeAndADeletionTakesOnlyItsLine) {
    for (const std::string end : {"\r\n", "\n", "\r"}) {
        SCOPED_TRACE(end == "\n" ? "LF" : end == "\r" ? "CR" : "CR LF");
        disk.AddFile("C:\\kavo\\color.ini", "a=1" + end + "b=2" + end + "c=3" + end);
        EXPECT_THAT(ReadSchemes(disk), ElementsAre(ColorScheme{"a", "1"}, ColorScheme{"b", "2"},
                                                   ColorScheme{"c", "3"}));
        ASSERT_TRUE(DeleteScheme(disk, 1));
        EXPECT_EQ(ColorIni(), "a=1" + end + "c=3" + end);
        ASSERT_EQ(AddScheme(disk, "d", "4"), SchemeStoreResult::Stored);
        EXPECT_THAT(ReadSchemes(disk), ElementsAre(ColorScheme{"a", "1"}, ColorScheme{"c", "3"},
                                                   ColorScheme{"d", "4"}));

        disk.AddFile("C:\\kavo\\link.ini", kYes + end + kNo + end + "255" + end);
        SettingsRecord expected = DefaultSettings();
        expected[kAlwaysOnTopLine] = kYes;
        expected[kWindowColorLine] = "255";
        EXPECT_EQ(ReadSettings(disk), expected);
    }
    // A last line without its line end keeps its own line when a scheme is added.
    disk.AddFile("C:\\kavo\\color.ini", "a=1");
    ASSERT_EQ(AddScheme(disk, "b", "2"), SchemeStoreResult::Stored);
    EXPECT_EQ(ColorIni(), "a=1\r\nb=2\r\n");
}

// A file that is there but cannot be read (another program holds it) is never written over
// with what little the program knows: storing, deleting and saving settings refuse.
TEST_F(SettingsFilesTest, AFileThatCannotBeReadIsNotWrittenOver) {
    disk.AddFile("C:\\kavo\\color.ini", "a=1\r\nb=2\r\nc=3\r\n");
    disk.AddFile("C:\\kavo\\link.ini", kYes + "\r\n");
    disk.unreadablePaths = {"C:\\kavo\\color.ini", "C:\\kavo\\link.ini"};
    EXPECT_EQ(AddScheme(disk, "d", "4"), SchemeStoreResult::ReadFailed);
    EXPECT_FALSE(DeleteScheme(disk, 0));
    EXPECT_TRUE(SettingsFileUnreadable(disk));
    SettingsSession session(disk);
    EXPECT_TRUE(session.Open());  // nothing to create: the file is there
    EXPECT_TRUE(session.Unreadable());
    EXPECT_FALSE(session.Save());
    disk.unreadablePaths.clear();
    EXPECT_EQ(ColorIni(), "a=1\r\nb=2\r\nc=3\r\n");
    EXPECT_EQ(LinkIni(), kYes + "\r\n");

    // Positive control: readable again, the same calls write.
    EXPECT_EQ(AddScheme(disk, "d", "4"), SchemeStoreResult::Stored);
    EXPECT_TRUE(DeleteScheme(disk, 0));
    EXPECT_EQ(ColorIni(), "b=2\r\nc=3\r\nd=4\r\n");
    EXPECT_TRUE(session.Save());
    EXPECT_FALSE(session.Unreadable());
}

TEST(SchemeCodeTest, AppliesTwelveFieldsToLinesThreeToFourteen) {
    SettingsRecord record = DefaultSettings();
    record[kAlwaysOnTopLine] = kYes;
    const std::string code = "1;2;3;4;5;" + kYes + ";7;8;9;10;11;12;13";
    ASSERT_TRUE(ApplySchemeCode(code, record));
    EXPECT_THAT(record, ElementsAre(kYes, kNo, "1", "2", "3", "4", "5", kYes, "7", "8", "9", "10",
                                    "11", "12"));
    EXPECT_EQ(SchemeCodeFrom(record), "1;2;3;4;5;" + kYes + ";7;8;9;10;11;12");
}

TEST(SchemeCodeTest, ShortCodesChangeNothing) {
    for (const std::string code :
         {"", "1;2;3", "1;2;3;4;5;6;7;8;9;10;11", "1;2;3;4;5;6;7;8;9;10;11;", "no code"}) {
        SettingsRecord record = DefaultSettings();
        EXPECT_FALSE(ApplySchemeCode(code, record)) << code;
        EXPECT_EQ(record, DefaultSettings()) << code;
    }
    // Positive control: empty fields in the middle are fields.
    SettingsRecord record = DefaultSettings();
    EXPECT_TRUE(ApplySchemeCode(";;;;;;;;;;;x", record));
    EXPECT_EQ(record[kSoftwareBackgroundLine], "x");
    EXPECT_EQ(record[kWindowColorLine], "");
}

TEST(AppearanceColorsTest, RecordLinesReachTheirElements) {
    SettingsRecord record = DefaultSettings();
    ASSERT_TRUE(ApplySchemeCode("1;2;3;4;5;" + kNo + ";7;8;9;10;11;-1", record));
    const MainWindowColors colors = ColorsFromSettings(record);
    EXPECT_EQ(colors.titleBackground, 1u);
    EXPECT_EQ(colors.titleText, 2u);
    EXPECT_EQ(colors.menuBackground, 7u);
    EXPECT_EQ(colors.menuText, 8u);
    EXPECT_EQ(colors.treeBackground, 9u);
    EXPECT_EQ(colors.treeText, 10u);
    EXPECT_EQ(colors.editorBackground, 11u);
    EXPECT_EQ(colors.windowBackground, 0xFFFFFFu);
}

TEST(HoverColorTest, OwnColoursOnlyWhenSwitchedOnAndNotExactlyZero) {
    const SettingsRecord defaults = DefaultSettings();
    EXPECT_EQ(HoverColor(defaults, kExitHoverColorLine, 0xECECEC), 0x131313u);
    EXPECT_EQ(HoverColor(defaults, kHideHoverColorLine, 0xECECEC), 0x131313u);

    SettingsRecord record = defaults;
    record[kUseHoverColorsLine] = kYes;
    record[kHideHoverColorLine] = "255";
    record[kExitHoverColorLine] = "0";
    EXPECT_EQ(HoverColor(record, kHideHoverColorLine, 0xECECEC), 0x0000FFu);
    EXPECT_EQ(HoverColor(record, kExitHoverColorLine, 0x102030), 0xEFDFCFu);
    record[kExitHoverColorLine] = "00";  // a real colour: black
    EXPECT_EQ(HoverColor(record, kExitHoverColorLine, 0xECECEC), 0u);

    record[kUseHoverColorsLine] = kNo;  // switched off: automatic again
    EXPECT_EQ(HoverColor(record, kHideHoverColorLine, 0xECECEC), 0x131313u);
}

TEST(CaptionFadeTest, EdgesCountAsInside) {
    const ScreenRect rect{100, 10, 130, 40};
    EXPECT_TRUE(PointerInside(rect, 130, 40));
    EXPECT_TRUE(PointerInside(rect, 100, 10));
    EXPECT_FALSE(PointerInside(rect, 131, 20));
    EXPECT_FALSE(PointerInside(rect, 120, 41));
    EXPECT_FALSE(PointerInside(rect, 99, 20));
    EXPECT_FALSE(PointerInside(rect, 120, 9));
}

TEST(CaptionFadeTest, TenStepsEachWayAndAReversalContinuesFromWhereItIs) {
    std::vector<int> in;
    for (int t = kInvisible; t != kOpaque;) in.push_back(t = FadeStepTowards(t, kOpaque));
    EXPECT_THAT(in, ElementsAre(90, 80, 70, 60, 50, 40, 30, 20, 10, 0));
    std::vector<int> back;
    for (int t = 70; t != kInvisible;) back.push_back(t = FadeStepTowards(t, kInvisible));
    EXPECT_THAT(back, ElementsAre(80, 90, 100));
    EXPECT_EQ(FadeStepTowards(kInvisible, kInvisible), kInvisible);
}

TEST(ShadowBandTest, OpaqueMiddleAndAnEdgeThatFadesOutward) {
    const int band = 2;
    const ShadowPlane plane = ShadowBand(40, 30, band);
    ASSERT_EQ(plane.width, 44);
    ASSERT_EQ(plane.height, 34);
    for (int y = band; y < band + 30; ++y)
        for (int x = band; x < band + 40; ++x) ASSERT_EQ(plane.At(x, y), 255) << x << "," << y;
    // Along every side, halfway: darker next to the window, fading out, never quite opaque.
    const int midX = plane.width / 2;
    const int midY = plane.height / 2;
    const std::vector<std::pair<int, int>> sides[] = {
        {{midX, 1}, {midX, 0}},
        {{midX, plane.height - 2}, {midX, plane.height - 1}},
        {{1, midY}, {0, midY}},
        {{plane.width - 2, midY}, {plane.width - 1, midY}},
    };
    for (const auto& side : sides) {
        const int inner = plane.At(side[0].first, side[0].second);
        const int outer = plane.At(side[1].first, side[1].second);
        EXPECT_GT(inner, outer);
        EXPECT_GT(outer, 0);
        EXPECT_LT(inner, 255);
    }
    // The same on opposite sides, and fainter at the corners.
    EXPECT_EQ(plane.At(midX, 0), plane.At(midX, plane.height - 1));
    EXPECT_EQ(plane.At(0, midY), plane.At(plane.width - 1, midY));
    EXPECT_LT(plane.At(0, 0), plane.At(midX, 0));
}

class SettingsSessionTest : public SettingsFilesTest {
  protected:
    SettingsSession session{disk};
};

TEST_F(SettingsSessionTest, OpeningWithoutLinkIniCreatesItWithTheDefaults) {
    ASSERT_TRUE(session.Open());
    EXPECT_EQ(LinkIni().substr(LinkIni().size() - 8), "16777215");  // no CR LF at the end
    EXPECT_EQ(session.Shown(), DefaultSettings());
    EXPECT_EQ(session.Edited(), DefaultSettings());
    EXPECT_EQ(session.Opening(), DefaultSettings());
    EXPECT_EQ(session.Code(), kDefaultCode);
    EXPECT_THAT(session.Schemes(), IsEmpty());
}

TEST_F(SettingsSessionTest, AnExistingShortLinkIniIsShownCompletedButNotRewritten) {
    disk.AddFile("C:\\kavo\\link.ini", kYes);
    ASSERT_TRUE(session.Open());
    EXPECT_EQ(LinkIni(), kYes);
    EXPECT_EQ(session.Shown()[kAlwaysOnTopLine], kYes);
    EXPECT_EQ(session.Shown().size(), kSettingsLineCount);
}

TEST_F(SettingsSessionTest, CancelGoesBackToTheOpeningRecordAndWritesNothing) {
    ASSERT_TRUE(session.Open());
    const std::string before = LinkIni();
    session.ChangeColor(kWindowColorLine, 0x0000FF);
    session.ChangeFlag(kAlwaysOnTopLine, true);
    EXPECT_EQ(session.Edited()[kWindowColorLine], "255");
    EXPECT_EQ(session.Code().substr(0, 4), "255;");
    session.Cancel();
    EXPECT_EQ(session.Edited(), DefaultSettings());
    EXPECT_EQ(session.Shown(), DefaultSettings());
    EXPECT_EQ(session.ShownColors().titleBackground, 0xECECECu);
    EXPECT_EQ(LinkIni(), before);
}

TEST_F(SettingsSessionTest, ApplyThenCancelKeepsTheAppliedColours) {
    ASSERT_TRUE(session.Open());
    session.ChangeColor(kMenuColorLine, 0x112233);
    ASSERT_TRUE(session.Save());
    EXPECT_EQ(ReadSettings(disk)[kMenuColorLine], "1122867");
    EXPECT_EQ(LinkIni().substr(LinkIni().size() - 2), "\r\n");  // saved lines end with CR LF
    session.ChangeColor(kMenuColorLine, 0x445566);
    session.Cancel();
    EXPECT_EQ(session.ShownColors().menuBackground, 0x112233u);
    EXPECT_EQ(ReadSettings(disk)[kMenuColorLine], "1122867");
}

TEST_F(SettingsSessionTest, AFailedSaveLeavesTheFileAndTheWindowAsTheyWere) {
    ASSERT_TRUE(session.Open());
    const std::string before = LinkIni();
    session.ChangeColor(kWindowColorLine, 1);
    disk.unwritablePaths.insert("C:\\kavo\\link.ini");
    EXPECT_FALSE(session.Save());
    EXPECT_EQ(LinkIni(), before);
    EXPECT_EQ(session.Edited()[kWindowColorLine], "1");  // the user's change is still there
    // Positive control: the same save succeeds once the file can be written.
    disk.unwritablePaths.clear();
    EXPECT_TRUE(session.Save());
    EXPECT_EQ(ReadSettings(disk)[kWindowColorLine], "1");
}

TEST_F(SettingsSessionTest, SynchroniseTakesTheCodeIntoBothRecordsAndTheHoverSwitch) {
    ASSERT_TRUE(session.Open());
    session.ChangeFlag(kUseHoverColorsLine, true);
    const std::string code = "1;2;3;4;5;" + kNo + ";7;8;9;10;11;12";
    ASSERT_TRUE(session.Synchronise(code));
    EXPECT_EQ(session.Edited()[kUseHoverColorsLine], kNo);
    EXPECT_EQ(session.Shown(), session.Edited());
    EXPECT_EQ(session.Code(), code);
    EXPECT_EQ(session.ShownColors().windowBackground, 12u);

    // A short code changes nothing.
    session.ChangeColor(kWindowColorLine, 99);
    EXPECT_FALSE(session.Synchronise("1;2;3"));
    EXPECT_EQ(session.Edited()[kWindowColorLine], "99");
    EXPECT_EQ(session.Shown()[kWindowColorLine], "1");
}

TEST_F(SettingsSessionTest, SchemesAreStoredChosenAndDeletedByPosition) {
    disk.AddFile("C:\\kavo\\color.ini", "broken\r\n");
    ASSERT_TRUE(session.Open());
    const std::string code = "1;2;3;4;5;" + kYes + ";7;8;9;10;11;12";
    const std::string name = "\xD0\xC2\xBD\xA8\xC5\xE4\xC9\xAB";  // 新建配色
    ASSERT_EQ(session.StoreScheme(name, code), SchemeStoreResult::Stored);
    ASSERT_EQ(session.StoreScheme(name, session.Code()), SchemeStoreResult::Stored);
    EXPECT_THAT(session.Schemes(), ElementsAre(ColorScheme{"", ""}, ColorScheme{name, code},
                                               ColorScheme{name, kDefaultCode}));

    EXPECT_EQ(session.ChooseScheme(0), std::nullopt);  // the line without "=": nothing changes
    EXPECT_EQ(session.Edited(), DefaultSettings());
    EXPECT_EQ(session.ChooseScheme(1), code);
    EXPECT_EQ(session.Edited()[kUseHoverColorsLine], kYes);
    EXPECT_EQ(session.ShownColors().titleBackground, 1u);

    EXPECT_EQ(session.StoreScheme("a=b", code), SchemeStoreResult::NameRefused);
    EXPECT_EQ(session.Schemes().size(), 3u);
    ASSERT_TRUE(session.DeleteScheme(1));
    EXPECT_THAT(session.Schemes(),
                ElementsAre(ColorScheme{"", ""}, ColorScheme{name, kDefaultCode}));
    ASSERT_TRUE(session.DeleteScheme(-1));
    EXPECT_EQ(session.Schemes().size(), 2u);
    EXPECT_EQ(ColorIni(), "broken\r\n" + name + "=" + kDefaultCode + "\r\n");
}

TEST(ElementOfLineTest, EachColourLineReachesItsElementAndTheHoverLinesNone) {
    MainWindowColors colors;
    for (SettingsLine line : {kHideHoverColorLine, kMaximizeColorLine, kExitHoverColorLine,
                              kAlwaysOnTopLine, kUseHoverColorsLine})
        EXPECT_EQ(ElementOfLine(line), nullptr) << line;
    colors.*ElementOfLine(kWindowColorLine) = 5;
    colors.*ElementOfLine(kSoftwareBackgroundLine) = 6;
    EXPECT_EQ(colors.titleBackground, 5u);
    EXPECT_EQ(colors.windowBackground, 6u);
}

}  // namespace
}  // namespace kavo
