// mantello-cli's commands, exit codes and messages, on an in-memory file system.
#include "cli/mantello_cli.h"

#include <gtest/gtest.h>

#include <sstream>

#include "mantello/html_encoder.h"
#include "tests/fakes/fake_file_system.h"

namespace qm {
namespace {

struct Result {
  int code;
  std::string out, err;
};

class MantelloCliTest : public testing::Test {
 protected:
  Result Run(std::vector<std::string> args, const std::string& input = "", std::uint64_t seed = 1) {
    std::istringstream in(input);
    std::ostringstream out, err;
    const int code = RunMantelloCli(args, in, out, err, fs, seed);
    return {code, out.str(), err.str()};
  }
  FakeFileSystem fs;
};

TEST_F(MantelloCliTest, DecodeGivesWhatTheEncodedScriptWritesIntoThePage) {
  const struct {
    std::string text, page;
  } cases[] = {
      {"<p>Gr\xC3\xBC\xC3\x9F"
       "e \"@\" \\ </script></p>\r\n",
       "<p>Gr\xC3\xBC\xC3\x9F"
       "e \"@\" \\ </script></p>\r\n"},
      {"\xE2\x80\x9E"
       "5 \xE2\x82\xAC\xE2\x80\x9C \xF0\x9F\x98\x80",
       "&#8222;5 &#8364;&#8220; &#128512;"},
      {"", ""},
  };
  for (const auto& c : cases) {
    const Result encoded = Run({"encode"}, c.text, 99);
    ASSERT_EQ(encoded.code, 0) << encoded.err;
    EXPECT_EQ(encoded.out, EncodeToScript(c.text, 99));
    fs.SetFile("seite.html", "<html>" + encoded.out + "</html>");
    const Result from_file = Run({"decode", "seite.html"});
    EXPECT_EQ(from_file.code, 0) << from_file.err;
    EXPECT_EQ(from_file.out, c.page);
    EXPECT_EQ(Run({"decode"}, encoded.out).out, c.page);
  }
  fs.SetFile("text.txt", "\xC3\xA4");
  EXPECT_EQ(Run({"encode", "text.txt"}, "", 3).out, EncodeToScript("\xC3\xA4", 3));
}

TEST_F(MantelloCliTest, RefusesWithOneGermanLineAndExitCodeTwo) {
  const struct {
    std::vector<std::string> args;
    std::string input, message_part;
  } cases[] = {
      {{"encode", "fehlt.txt"},
       "",
       "\xE2\x80\x9E"
       "fehlt.txt\xE2\x80\x9C l\xC3\xA4sst sich nicht"},
      {{"encode"}, "a\xFFz", "kein g\xC3\xBCltiges UTF-8"},
      {{"decode"}, "a\xC3", "kein g\xC3\xBCltiges UTF-8"},
      {{"decode"}, "<p>kein Skript</p>", "kein Literal var c="},
      {{"decode"}, "var c=\"DQD\";", "ungerade L\xC3\xA4nge"},
      {{"decode"},
       "var c=\"DQ\xC3\xA4Q\";",
       "\xE2\x80\x9E\xC3\xA4\xE2\x80\x9C (U+00E4) an Stelle 3"},
      {{"decode"}, "var c=\"DQ\tQ\";", "Zeichen U+0009 an Stelle 3"},
  };
  for (const auto& c : cases) {
    const Result r = Run(c.args, c.input);
    EXPECT_EQ(r.code, 2) << c.message_part;
    EXPECT_EQ(r.out, "") << c.message_part;
    EXPECT_NE(r.err.find(c.message_part), std::string::npos) << r.err;
    EXPECT_EQ(r.err.find('\n'), r.err.size() - 1) << r.err;
  }
}

TEST_F(MantelloCliTest, UsageAndHelp) {
  const Result help = Run({"--help"});
  EXPECT_EQ(help.code, 0);
  EXPECT_NE(help.out.find("Aufruf: mantello-cli encode"), std::string::npos);
  EXPECT_NE(help.out.find("&#8364;"), std::string::npos);
  for (const std::vector<std::string>& args :
       {std::vector<std::string>{}, {"kodieren"}, {"encode", "a", "b"}, {"--help", "x"}}) {
    const Result r = Run(args);
    EXPECT_EQ(r.code, 2);
    EXPECT_NE(r.err.find("Aufruf:"), std::string::npos);
  }
}

}  // namespace
}  // namespace qm
