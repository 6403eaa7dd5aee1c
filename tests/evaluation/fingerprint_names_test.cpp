// Entry folders may be named with any bytes; each name must come back from
// the evaluation file exactly as it went in, or its files go unwatched.

#include <gtest/gtest.h>

#include "evaluation/evaluation_file.h"
#include "evaluation/fingerprint_names.h"
#include "evaluation/fingerprint_writer.h"
#include "tests/support/temp_dir.h"

namespace hl::evaluation {
namespace {

constexpr const char* kFingerprint =
    "sha256:e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855";

TEST(FingerprintNames, EveryNameReadsBackExactly) {
  struct Case {
    std::string name;
    std::string key;
  };
  const std::vector<Case> cases = {
      {"anna/lap.trk", "anna/lap.trk"},
      {"an\nna/lap.trk", "an\nna/lap.trk"},
      {"tab\tbell\x07\x7f/x.gam", "tab\tbell\x07\x7f/x.gam"},
      {"be\xffrt/lap.trk", "be\\xFFrt/lap.trk"},
      {"\xc3/\xe2\x82/x", "\\xC3/\\xE2\\x82/x"},
      {"G\xc3\xb6sta/it's \"q\".jpg", "G\xc3\xb6sta/it's \"q\".jpg"},
      {"a\\b/x.trk", "a\\b/x.trk"},  // as keys recorded before read
      {"lit\\xFF/x", "lit\\\\xFF/x"},
      {"two\\\\/x", "two\\\\\\/x"},
      {"end\\\xff/x", "end\\\\\\xFF/x"},
      {"trailing\\", "trailing\\"},
  };
  testing::TempDir dir;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.key);
    EXPECT_EQ(FingerprintKey(c.name), c.key);
    EXPECT_EQ(FileNameOfKey(c.key), c.name);
    const std::string path = dir.Path() + "cup.toml";
    const auto recorded =
        RecordFingerprints(path, {{c.name, kFingerprint}, {"b.car", kFingerprint}});
    ASSERT_TRUE(recorded) << recorded.error().Describe();
    const auto read = ReadEvaluationFile(path, dir.Path(), false);
    ASSERT_TRUE(read) << read.error().Describe();
    EXPECT_EQ(read->fingerprints, (Fingerprints{{c.name, kFingerprint}, {"b.car", kFingerprint}}));
  }
}

TEST(FingerprintNames, AKeyGivenTwiceIsNamedAsWritten) {
  testing::TempDir dir;
  const std::string path =
      dir.WriteFile("cup.toml", std::string("[fingerprints]\n'hugo/hugo.gam' = '") + kFingerprint +
                                    "'\n 'hugo/hugo.gam'  = 'x'\n");
  const auto read = ReadEvaluationFile(path, dir.Path(), false);
  ASSERT_FALSE(read);
  EXPECT_EQ(read.error().what, "line 3: not valid TOML: 'hugo/hugo.gam' is defined twice");
}

}  // namespace
}  // namespace hl::evaluation
