// The entrants' page in headless Chromium: the form as the server serves
// it, filled in and sent by a browser, answers with the verdict page.

#include <unistd.h>

#include <fstream>
#include <iterator>

#include <gtest/gtest.h>

#include "tests/server/upload_fixture.h"

namespace hl::testing {
namespace {

std::string Base64(const std::string& bytes) {
  static constexpr char kDigits[] =
      "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  const auto byte = [&bytes](size_t i) -> uint32_t {
    return i < bytes.size() ? static_cast<uint8_t>(bytes[i]) : 0;
  };
  std::string text;
  for (size_t i = 0; i < bytes.size(); i += 3) {
    const uint32_t block = byte(i) << 16 | byte(i + 1) << 8 | byte(i + 2);
    const size_t digits = std::min<size_t>(bytes.size() - i, 3) + 1;
    for (size_t k = 0; k < 4; ++k) text += k < digits ? kDigits[(block >> (18 - 6 * k)) & 63] : '=';
  }
  return text;
}

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

// The served form with a script after it that plays the entrant: the token
// typed in, the track file chosen, the button pressed.
std::string Harness(const std::string& form, const std::string& url, const std::string& token,
                    const std::string& track) {
  std::string page = form;
  page.insert(page.find("<head>") + 6, "<base href=\"" + url + "/\">");
  const std::string script =
      "<script>\n"
      "const bytes = Uint8Array.from(atob('" +
      Base64(track) +
      "'), c => c.charCodeAt(0));\n"
      "const files = new DataTransfer();\n"
      "files.items.add(new File([bytes], 'eichwald.trk'));\n"
      "document.querySelector('input[name=track]').files = files.files;\n"
      "document.querySelector('input[name=token]').value = '" +
      token +
      "';\n"
      "document.querySelector('form').requestSubmit();\n"
      "</script>\n";
  page.insert(page.rfind("</body>"), script);
  return page;
}

TEST(ServerUploadPage, ABrowserSendsTheFormAndSeesTheVerdict) {
  OnlineCompetition online(1);
  const std::string anna = online.samples[0];
  const auto tokens = IssueTokens(online.base, online.state, {anna});
  ServerProcess server(online.base, online.state);
  const HttpAnswer form = Curl({}, server.Url() + "/upload");
  ASSERT_EQ(form.status, 200);
  EXPECT_EQ(form.body.find("<script"), std::string::npos);

  const std::string harness = online.dir.WriteFile(
      "harness.html", Harness(form.body, server.Url(), tokens.at(anna),
                              ReadFile(online.source + anna + "/eichwald.trk")));
  const std::string profile = online.dir.MakeDir("profile");
  const std::string command =
      "chromium --headless --no-sandbox --disable-gpu --no-first-run "
      "--disable-background-networking --disable-component-update --disable-sync "
      "--virtual-time-budget=20000 --user-data-dir='" +
      profile + "' --dump-dom 'file://" + harness + "' 2>/dev/null";
  std::string dom;
  if (FILE* pipe = popen(command.c_str(), "r")) {
    char buffer[4096];
    for (size_t n; (n = fread(buffer, 1, sizeof buffer, pipe)) > 0;) dom.append(buffer, n);
    pclose(pipe);
  }
  EXPECT_NE(dom.find("Your verdict"), std::string::npos) << dom;
  EXPECT_NE(dom.find("Upload 1 of entry " + anna), std::string::npos);
  EXPECT_NE(dom.find("1.: 5123 Anna"), std::string::npos) << "the log lines are shown";
  EXPECT_EQ(server.Stop(), 0);
}

}  // namespace
}  // namespace hl::testing
