// The results page (--export DIR) of the sample competition, checked in a
// real browser: headless Chromium loads it from disk, and a harness page
// next to it reports the ranking rows and whether every picture loaded.

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <memory>

#include <sys/stat.h>

#include <nlohmann/json.hpp>

#include "tests/e2e/batch_runner.h"
#include "toolkit/raster/image_files.h"

namespace hl::testing {
namespace {

namespace fs = std::filesystem;

constexpr const char* kInjected = "<img src=x onerror=alert(1)>";

// The page in a phone-sized frame: the rows, every picture with the
// attributes it was written with and where it sits, whether the page needs
// sideways scrolling, what reaches past the screen outside a box that
// scrolls, which of the ranking's facts are off-screen; then each picture is
// loaded (lazy ones too) to see that none is missing, and how large the
// chart and the ghosts are shown.
constexpr const char* kHarness = R"(<!DOCTYPE html>
<html><body><pre id="report">pending</pre>
<iframe id="page" src="index.html" style="width:390px;height:844px;border:0"></iframe>
<script>
window.addEventListener('load', async () => {
  const frame = document.getElementById('page');
  const doc = frame.contentDocument;
  const width = doc.documentElement.clientWidth;
  const images = [...doc.images];
  const placed = images.map(i => ({ src: i.getAttribute('src'), alt: i.getAttribute('alt'),
    width: i.getAttribute('width'), height: i.getAttribute('height'),
    lazy: i.getAttribute('loading') === 'lazy', top: i.getBoundingClientRect().top }));
  for (const i of images) i.loading = 'eager';
  await Promise.all(images.map(i => i.complete ? 0 : new Promise(done => { i.onload = i.onerror = done; })));
  const report = {
    rows: [...doc.querySelectorAll('#ranking tbody tr')].map(r => r.cells[0].textContent + ' ' + r.cells[1].textContent),
    images: placed.map((p, n) => ({ ...p, natural: images[n].naturalWidth })),
    fold: frame.clientHeight,
    page_width: doc.documentElement.scrollWidth,
    frame_width: doc.documentElement.clientWidth,
    viewport: !!doc.querySelector('meta[name="viewport"]'),
    description: !!doc.querySelector('meta[name="description"]'),
    scripts: doc.querySelectorAll('script').length,
    injected: doc.querySelectorAll('img[src="x"]').length,
    text: doc.body.textContent,
    overflowing: [...doc.body.querySelectorAll('*')].filter(e => !e.parentElement.closest('.scroll') &&
      e.getBoundingClientRect().right > width + 1).map(e => e.tagName + '.' + e.className),
    hidden_facts: [...doc.querySelectorAll('#ranking td')].filter(td => {
      const r = td.getBoundingClientRect();
      return td.textContent.trim() && (r.width === 0 || r.left < 0 || r.right > width + 1);
    }).map(td => td.textContent),
    modified_findings: [...doc.querySelectorAll('#ranking tbody tr')].filter(r => r.querySelector('.bad'))
      .map(r => r.querySelector('td[data-label="Findings"]').textContent),
    readable_scales: [...doc.querySelectorAll('.readable img')].map(i => i.getBoundingClientRect().width / i.naturalWidth),
  };
  document.getElementById('report').textContent = JSON.stringify(report);
});
</script></body></html>
)";

struct Browser {
  std::string out;
  std::string err;
};

// Headless Chromium as a test may run it: no sandbox (root), no GPU, no
// network chatter, a fresh profile.
Browser RunChromium(const std::string& page, const std::string& profile) {
  const std::string err_file = profile + ".err";
  const std::string command =
      "chromium --headless --no-sandbox --disable-gpu --disable-quic --no-first-run "
      "--disable-background-networking --disable-component-update --disable-sync "
      "--allow-file-access-from-files --enable-logging=stderr --v=0 "
      "--virtual-time-budget=10000 --user-data-dir='" +
      profile + "' --dump-dom 'file://" + page + "' 2>'" + err_file + "'";
  Browser browser;
  if (FILE* pipe = popen(command.c_str(), "r")) {
    char buffer[4096];
    for (size_t n; (n = fread(buffer, 1, sizeof buffer, pipe)) > 0;) browser.out.append(buffer, n);
    pclose(pipe);
  }
  browser.err = ReadText(err_file);
  return browser;
}

nlohmann::json HarnessReport(const std::string& dom) {
  const size_t start = dom.find("<pre id=\"report\">");
  const size_t end = dom.find("</pre>", start);
  if (start == std::string::npos || end == std::string::npos) return nullptr;
  std::string text = dom.substr(start + 17, end - start - 17);
  // The DOM dump escapes what the harness wrote as text.
  for (const auto& [entity, plain] :
       {std::pair{"&quot;", "\""}, {"&lt;", "<"}, {"&gt;", ">"}, {"&amp;", "&"}}) {
    for (size_t at; (at = text.find(entity)) != std::string::npos;)
      text.replace(at, strlen(entity), plain);
  }
  return nlohmann::json::parse(text, nullptr, false);
}

class ResultsPage : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    sample_ = std::make_unique<SampleSetup>();
    fs::rename(sample_->base + "anna", sample_->base + kInjected);
    export_dir_ = sample_->work + "export/";
    result_ = RunBatch(sample_->work, {"--batch", sample_->base, "--export", export_dir_});
  }
  static void TearDownTestSuite() { sample_.reset(); }

  static inline std::unique_ptr<SampleSetup> sample_;
  static inline std::string export_dir_;
  static inline BatchResult result_;
};

TEST_F(ResultsPage, WritesEveryFileTheJsonNames) {
  ASSERT_EQ(result_.status, 0) << result_.err;
  EXPECT_NE(result_.err.find("Results page written to " + export_dir_ + "index.html"),
            std::string::npos);
  EXPECT_EQ(ReadText(export_dir_ + "chart.png"), ReadText(sample_->base + "eichwald.png"));
  const auto json = nlohmann::json::parse(ReadText(export_dir_ + "results.json"));
  int pictures = 0;
  for (const auto& entry : json["entries"]) {
    for (const char* kind : {"track", "screen"}) {
      const auto& path = entry["pictures"][kind];
      if (path.is_null()) continue;
      ++pictures;
      const std::string relative = path.get<std::string>();
      EXPECT_EQ(relative.find(".."), std::string::npos) << relative;
      EXPECT_TRUE(fs::is_regular_file(export_dir_ + relative)) << relative;
    }
    EXPECT_EQ(entry["pictures"]["track"].is_null(), !entry["track_valid"].get<bool>());
  }
  EXPECT_GT(pictures, 10);
  EXPECT_FALSE(ReadText(export_dir_ + "results.csv").empty());
}

TEST_F(ResultsPage, LoadsInChromiumWithEveryPictureAndRowAndNoInjectedElement) {
  ASSERT_EQ(result_.status, 0) << result_.err;
  {
    std::ofstream harness(export_dir_ + "harness.html");
    harness << kHarness;
  }
  const Browser page = RunChromium(export_dir_ + "index.html", sample_->work + "profile-page");
  EXPECT_EQ(page.err.find(":CONSOLE("), std::string::npos) << page.err;
  EXPECT_EQ(page.err.find("Failed to load"), std::string::npos) << page.err;

  const Browser harness =
      RunChromium(export_dir_ + "harness.html", sample_->work + "profile-harness");
  const nlohmann::json report = HarnessReport(harness.out);
  ASSERT_TRUE(report.is_object()) << harness.out << harness.err;

  std::vector<std::string> expected_rows;
  const auto json = nlohmann::json::parse(ReadText(export_dir_ + "results.json"));
  for (const auto& ranked : json["ranking"]) {
    expected_rows.push_back(std::to_string(ranked["place"].get<int>()) + " " +
                            ranked["driver"].get<std::string>());
  }
  EXPECT_EQ(report["rows"].get<std::vector<std::string>>(), expected_rows);
  EXPECT_GE(report["images"].size(), 12u);
  for (const auto& image : report["images"]) {
    SCOPED_TRACE(image.dump());
    EXPECT_GT(image["natural"].get<int>(), 0);
    EXPECT_EQ(image["width"], std::to_string(image["natural"].get<int>()));
    EXPECT_TRUE(image["height"].is_string());
    EXPECT_FALSE(image["alt"].get<std::string>().empty());
    // Nothing on the first screen waits; every entry's picture does.
    if (image["top"].get<double>() < report["fold"].get<double>()) {
      EXPECT_FALSE(image["lazy"]);
    }
    if (image["src"].get<std::string>().starts_with("entries/")) {
      EXPECT_TRUE(image["lazy"]);
    }
  }
  EXPECT_LE(report["page_width"], report["frame_width"]) << "the page scrolls sideways on a phone";
  EXPECT_EQ(report["overflowing"], nlohmann::json::array());
  EXPECT_EQ(report["hidden_facts"], nlohmann::json::array());
  ASSERT_FALSE(report["modified_findings"].empty());
  for (const auto& findings : report["modified_findings"])
    EXPECT_NE(findings.get<std::string>().find("car-modified"), std::string::npos) << findings;
  // Labels drawn 10 px high are read at 11 CSS px or more.
  ASSERT_EQ(report["readable_scales"].size(), 2u);
  for (const auto& scale : report["readable_scales"]) EXPECT_GE(scale.get<double>(), 1.1);
  EXPECT_TRUE(report["viewport"]);
  EXPECT_TRUE(report["description"]);
  EXPECT_EQ(report["scripts"], 0);
  EXPECT_EQ(report["injected"], 0);
  EXPECT_NE(report["text"].get<std::string>().find(kInjected), std::string::npos);
}

// Every file below `folder` (but the folder of kept pictures, which must
// be gone) with its bytes.
std::map<std::string, std::string> FolderContents(const std::string& folder) {
  std::map<std::string, std::string> files;
  for (const auto& entry : fs::recursive_directory_iterator(folder)) {
    const std::string relative = fs::relative(entry.path(), folder).string();
    files[relative] = entry.is_regular_file() ? ReadText(entry.path().string()) : "(folder)";
  }
  return files;
}

// An export into the folder of an earlier one after entries came, went and
// changed: the same folder as a fresh export, with the unchanged entries'
// pictures moved into place rather than made again.
TEST(ResultsPageFolder, ExportedAgainEqualsAFreshExportAndKeepsUnchangedPictures) {
  SampleSetup sample;
  const std::string again = sample.work + "again/", fresh = sample.work + "fresh/";
  ASSERT_EQ(RunBatch(sample.work, {"--batch", sample.base, "--export", again}).status, 0);
  const std::string bert_screen = again + "entries/2-bert/screen.jpg";
  ASSERT_TRUE(fs::is_regular_file(bert_screen));
  struct stat before {};
  ASSERT_EQ(stat(bert_screen.c_str(), &before), 0);

  fs::remove_all(sample.base + "anna");  // every later entry moves up one place
  fs::copy(sample.base + "bert", sample.base + "zoe");
  fs::copy_file(sample.base + "cleo/screen.jpg", sample.base + "hugo/screen.jpg",
                fs::copy_options::overwrite_existing);
  ASSERT_EQ(RunBatch(sample.work, {"--batch", sample.base, "--export", again}).status, 0);
  ASSERT_EQ(RunBatch(sample.work, {"--batch", sample.base, "--export", fresh}).status, 0);

  const auto expected = FolderContents(fresh);
  const auto found = FolderContents(again);
  EXPECT_EQ(found.size(), expected.size());
  for (const auto& [path, bytes] : expected) {
    SCOPED_TRACE(path);
    ASSERT_TRUE(found.contains(path));
    EXPECT_TRUE(found.at(path) == bytes);
  }
  for (const auto& [path, bytes] : found) EXPECT_TRUE(expected.contains(path)) << path;
  struct stat after {};
  ASSERT_EQ(stat((again + "entries/1-bert/screen.jpg").c_str(), &after), 0);
  EXPECT_EQ(after.st_ino, before.st_ino) << "bert's screen was made again";
}

// The chart of an earlier export stands in for encoding the same chart
// again, but only while it shows exactly the pixels of this run's chart.
TEST(ResultsPageFolder, ExportedAgainWritesTheChartOfThisRunWhateverTheFolderHolds) {
  const auto one_pixel_off = [](const std::string& png) {
    const std::span bytes(reinterpret_cast<const uint8_t*>(png.data()), png.size());
    auto chart = raster::DecodePng(bytes);
    if (!chart) return std::string();
    chart->Row(chart->Height() / 2)[0] ^= 1;
    const auto changed = raster::EncodePng(*chart);
    return changed ? std::string(changed->begin(), changed->end()) : std::string();
  };
  struct Case {
    const char* name;
    std::function<std::string(const std::string& chart)> earlier_chart;
  };
  const std::vector<Case> cases = {
      {"kept as written", [](const std::string& chart) { return chart; }},
      {"one pixel off", one_pixel_off},
      {"cut short", [](const std::string& chart) { return chart.substr(0, chart.size() / 2); }},
      {"another picture", [](const std::string&) { return std::string("not a picture"); }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    SampleSetup sample;
    const std::string page = sample.work + "page/", chart = sample.base + "eichwald.png";
    ASSERT_EQ(RunBatch(sample.work, {"--batch", sample.base, "--export", page}).status, 0);
    const std::string expected = ReadText(chart);
    ASSERT_FALSE(expected.empty());
    fs::remove(page + "chart.png");  // a new file: the earlier one was linked aside
    std::ofstream(page + "chart.png", std::ios::binary) << c.earlier_chart(expected);
    fs::remove(chart);

    ASSERT_EQ(RunBatch(sample.work, {"--batch", sample.base, "--export", page}).status, 0);
    EXPECT_TRUE(ReadText(chart) == expected);
    EXPECT_TRUE(ReadText(page + "chart.png") == expected);
  }
}

TEST(ResultsPageFolder, ThatCannotBeWrittenFailsButTheReportIsWritten) {
  SampleSetup sample;
  const std::string blocker = sample.work + "a-file";
  std::ofstream(blocker) << "not a folder";
  const BatchResult result =
      RunBatch(sample.work, {"--batch", sample.base, "--export", blocker + "/pages"});
  EXPECT_EQ(result.status, 1);
  EXPECT_NE(result.err.find("cannot create the export folder"), std::string::npos) << result.err;
  EXPECT_FALSE(ReadText(sample.base + "eichwald.txt").empty());
  EXPECT_FALSE(ReadText(sample.base + "eichwald.png").empty());
}

}  // namespace
}  // namespace hl::testing
