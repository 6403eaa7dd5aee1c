#pragma once
// The review console's pages: the login form, the queue and an entry's
// evidence with the forms of the decisions. No script; every text from a
// file or a request is escaped by the templates.

#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "publish/page_render.h"
#include "server/review_desk.h"
#include "server/webhook_queue.h"

namespace hl::server {

// The organiser a page is made for and the token its forms carry.
struct ReviewViewer {
  std::string organiser;
  std::string csrf;  // "" for a script with a Bearer token
};

// What the entry page shows besides the desk's facts.
struct EntryExtras {
  std::string screen;   // the page's URL of the screen shot; "" without one
  std::string track;    // the page's URL of the track picture; "" without one
  std::string outcome;  // what the viewer's last decision got; "" for none
  bool outcome_failed = false;
};

// A review page's values: its title, the viewer and the bar above it.
publish::PageData Titled(const std::string& title, const ReviewViewer& viewer);

std::string ReviewLoginPage(const std::string& message);
// A refusal in words, e.g. "there is no entry X".
std::string ReviewMessagePage(unsigned status, const std::string& message,
                              const ReviewViewer& viewer);
// The queue, and below it the webhook deliveries that were given up.
std::string ReviewQueuePage(const std::vector<QueueRow>& rows,
                            const std::vector<FailedDelivery>& failed, const ReviewViewer& viewer);
// `facts` as ReviewDesk::EntryFacts gives them.
std::string ReviewEntryPage(const nlohmann::ordered_json& facts, const EntryExtras& extras,
                            const ReviewViewer& viewer);

// `json`'s member `key`; null when it has none (or is no object).
nlohmann::ordered_json At(const nlohmann::ordered_json& json, const char* key);

// A row of the queue as the JSON API answers it.
nlohmann::ordered_json QueueRowJson(const QueueRow& row);

}  // namespace hl::server
