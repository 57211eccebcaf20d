// The product side: Read_Ostrel_Info, Clear_Ostrel_Info, "re-read
// Settings" and the site numbers of the product configuration.
#include <string>

#include "setup/site_numbers.h"
#include "setup/tests/setup_fixture.h"

namespace zolt::setup {
namespace {

TEST(SiteNumberTextTest, WholeNumbersShowInDecimalAnythingElseIsMissing) {
  const struct {
    const char* value;
    const char* shown;
  } cases[] = {
      {"190", "190"},  {"0190", "190"},  {"+190", "190"},  {"-5", "-5"},
      {"0", "0"},      {"2147483647", "2147483647"}, {"-2147483648", "-2147483648"},
      {"2147483648", "x"},  // would not reach the library as itself
      {"4294967486", "x"}, {"190abc", "x"}, {"19 0", "x"}, {"190.0", "x"},
      {"1e2", "x"}, {"", "x"}, {"+", "x"}, {"x", "x"}, {"&HBE", "x"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(SiteNumberText(c.value), c.shown) << "'" << c.value << "'";
  }
}

// Every box from its key, values cut at 255 characters, and the file of
// the extension in force.
TEST_F(SetupTest, ReadOstrelInfoFillsEveryBoxFromItsKey) {
  ProductSettings product, dta;
  product.data_path = std::string(300, 'd');
  product.vendor = "0195";
  product.location = "12ab";  // not a number
  dta.season = "9";
  WriteProduct(product);
  WriteProduct(dta, ".dta");
  WriteLibrary({});
  Start();
  EXPECT_EQ(Text("txtDataPath", 0), std::string(255, 'd'));
  EXPECT_EQ(Text("txtSeason", 0), "3");
  EXPECT_EQ(Text("txtPINExpiry", 0), "30");
  EXPECT_EQ(Text("txtPINEncrypt", 0), "11");
  EXPECT_EQ(Text("txtVendor", 0), "195");
  EXPECT_EQ(Text("txtLocation", 0), "x");
  EXPECT_EQ(Text("lblMinutes", 0), "minutes");
  Click("optWindowsVersion", 1);
  Click("cmdReadOstrelINI");
  EXPECT_EQ(Text("txtSeason", 0), "9");
}

// "re-read Settings" shows the data path without one trailing forward slash,
// and names only the exact expiry values 0 and 1 beside the minutes.
TEST_F(SetupTest, ReReadShowsTheDataPathAndTheExpiryCaption) {
  const struct {
    std::string data_path, shown_path;
    std::string expiry;  // as stored; quotes keep blanks
    std::string caption;
  } cases[] = {
      {"share/ostrel/", "share/ostrel", "0", "PINS last until midnight"},
      {"share/ostrel//", "share/ostrel/", "1", "PINS are turned off and will not work"},
      {"share\\ostrel\\", "share\\ostrel\\", "00", "minutes"},
      {"/", "", "01", "minutes"},
      {"a", "a", "\" 1\"", "minutes"},
      {"a", "a", kAbsent, "minutes"},
  };
  WriteLibrary({});
  Start();
  for (const auto& c : cases) {
    ProductSettings product;
    product.data_path = c.data_path;
    product.expiry = c.expiry;
    WriteProduct(product);
    Click("cmdReadOstrelINI");
    EXPECT_EQ(Text("txtDataPath", 0), c.shown_path) << c.data_path;
    EXPECT_EQ(Text("lblMinutes", 0), c.caption) << c.expiry;
  }
}

TEST_F(SetupTest, BinaryOrEmptyProductFileGivesMissingValues) {
  WriteLibrary({});
  for (const std::string bytes :
       {std::string(), std::string("\0\xff\xfe[Security\0]\r\nSeason", 22)}) {
    temp_.WriteFile("product/ostrel.ini", bytes);
    frm_.reset();
    ClearBoxes();
    Start();
    EXPECT_EQ(Text("txtSeason", 0), "x");
    EXPECT_EQ(Text("txtVendor", 0), "x");
    EXPECT_EQ(Text("lblsettingsmsg", 0), "ostrel settings are incorrect");
  }
}

TEST_F(SetupTest, ReReadSettingsDoesNotClearAndSetsTheWriteButton) {
  WriteProduct({});
  WriteLibrary({});
  Start();
  ASSERT_TRUE(form().Get("cmdSaveDllSettings").enabled());
  ProductSettings broken;
  broken.season = kAbsent;
  WriteProduct(broken);
  Click("cmdReadOstrelINI");
  EXPECT_EQ(Text("txtSeason", 0), "x");
  EXPECT_FALSE(form().Get("cmdSaveDllSettings").enabled());
  // The comparison ran last: the library's season now differs.
  EXPECT_EQ(Back("txtSeason", 1), kColorMismatch);
  EXPECT_EQ(Text("lblsettingsmsg", 1),
            "The DLL will not work. Files need to match");
}

}  // namespace
}  // namespace zolt::setup
