#include "server/entrant_pages.h"

#include "publish/html_text.h"

namespace hl::server {
namespace {

using Json = nlohmann::ordered_json;
using publish::HtmlText;

constexpr const char* kStyle =
    "body{font-family:sans-serif;max-width:40em;margin:1em auto;padding:0 1em;line-height:1.4}"
    "label{display:block;margin:.6em 0}input{font-size:1em}"
    "pre{background:#f4f4f4;padding:.5em;overflow-x:auto}.refused{color:#a00}";

std::string Page(const std::string& title, const std::string& body) {
  return "<!DOCTYPE html>\n<html lang=\"en\">\n<head>\n<meta charset=\"utf-8\">\n"
         "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">\n<title>" +
         HtmlText(title) + "</title>\n<style>" + kStyle + "</style>\n</head>\n<body>\n<h1>" +
         HtmlText(title) + "</h1>\n" + body + "</body>\n</html>\n";
}

std::string Fact(const std::string& label, const Json& value) {
  std::string text;
  if (value.is_null()) {
    text = "none";
  } else if (value.is_string()) {
    text = value.get<std::string>();
  } else if (value.is_boolean()) {
    text = value.get<bool>() ? "yes" : "no";
  } else {
    text = value.dump(-1, ' ', false, Json::error_handler_t::replace);
  }
  return "<tr><th>" + HtmlText(label) + "</th><td>" + HtmlText(text) + "</td></tr>\n";
}

}  // namespace

std::string ClosingSentence(const evaluation::ClosingTime& closes, bool closed) {
  return std::string(closed ? "uploads closed " : "uploads close ") +
         evaluation::UtcText(closes.utc_seconds) + " (" + evaluation::CompetitionText(closes) + ")";
}

std::string UploadFormPage(const std::optional<evaluation::ClosingTime>& closes) {
  std::string body;
  body += closes ? "<p>" + HtmlText(ClosingSentence(*closes, false)) + ".</p>\n"
                 : "<p>Uploads are open; no closing time is set.</p>\n";
  body +=
      "<form method=\"post\" action=\"/upload\" enctype=\"multipart/form-data\">\n"
      "<label>Token <input name=\"token\" required autocomplete=\"off\" size=\"34\"></label>\n"
      "<label>Track file (.trk, required) <input type=\"file\" name=\"track\" required></label>\n"
      "<label>Game file (.gam) <input type=\"file\" name=\"game\"></label>\n"
      "<label>Screen shot (.jpg or .bmp) <input type=\"file\" name=\"screen\"></label>\n"
      "<p><button type=\"submit\">Upload</button></p>\n</form>\n"
      "<p>A new upload replaces all three files of your entry; earlier uploads are kept.</p>\n";
  return Page("Upload your lap", body);
}

std::string VerdictPage(const Json& answer) {
  const Json& verdict = answer["verdict"];
  std::string body = "<p>Upload " + HtmlText(answer["version"].dump()) + " of entry " +
                     HtmlText(answer["entry"].get<std::string>()) + " was received.</p>\n<table>\n";
  body += Fact("provisional place", answer["place"]);
  for (const char* key : {"time", "driver", "car", "car_ok", "track_valid", "track_file",
                          "game_file", "screen_file", "track_name"}) {
    if (verdict.contains(key)) body += Fact(key, verdict[key]);
  }
  body += "</table>\n";
  if (verdict.contains("findings") && !verdict["findings"].empty()) {
    body += "<h2>Findings</h2>\n<ul>\n";
    for (const Json& finding : verdict["findings"]) {
      body += "<li>" + HtmlText(finding.value("code", "")) + ": " +
              HtmlText(finding.value("message", "")) + "</li>\n";
    }
    body += "</ul>\n";
  }
  body += "<h2>Log</h2>\n<pre>";
  for (const Json& line : answer["log"]) body += HtmlText(line.get<std::string>()) + "\n";
  body +=
      "</pre>\n<p><a href=\"/upload\">Upload again</a> &middot; <a href=\"/\">Results</a></p>\n";
  return Page("Your verdict", body);
}

std::string RefusalPage(unsigned status, const std::string& message) {
  return Page("Upload refused",
              "<p class=\"refused\">" + HtmlText(message) + " (" + std::to_string(status) +
                  ")</p>\n<p><a href=\"/upload\">Back to the upload form</a></p>\n");
}

}  // namespace hl::server
