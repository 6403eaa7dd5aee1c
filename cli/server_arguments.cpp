#include "cli/server_arguments.h"

#include <map>
#include <string>

#include "server/client_address.h"

namespace hl::cli {

CLI::App* AddServeCommand(CLI::App& app, GivenServe& given) {
  CLI::App* serve = app.add_subcommand(
      "serve", "Runs the competition online: entrants upload, the results page is live.");
  serve->allow_extras(false);  // the program allows them, to name them in its own words
  server::ServerOptions& options = given.options;
  serve->add_option("BASEDIR", given.base, "the competition folder")->required();
  serve->add_option("--state", given.state, "the server's own data; not inside BASEDIR")
      ->required();
  serve->add_option("--listen", given.listen, "HOST:PORT to listen on (port 0 picks a free one)");
  serve->add_option("--evaluation", given.evaluation,
                    "the saved evaluation, as for --batch (default: BASEDIR/evaluation.toml)");
  serve->add_flag("--no-evaluation", given.no_evaluation, "ignores BASEDIR/evaluation.toml");
  serve->add_option("--closes", given.closes, "when uploads close (RFC 3339 with offset)");
  serve->add_option("--freeze", given.freeze,
                    "from when the public sees the standings as they were then (before --closes)");
  serve->add_flag("--signup", options.signup, "entrants may sign up themselves");
  serve
      ->add_option("--public-url", options.public_url,
                   "where people reach the server, e.g. https://laps.example.org/")
      ->check([](const std::string& url) {
        return url.starts_with("https://") || url.starts_with("http://")
                   ? ""
                   : "'" + url + "' is no http:// or https:// address";
      });
  serve->add_option("--rate-limit", options.rate_limit, "requests a minute from one address")
      ->check(CLI::PositiveNumber);
  serve->add_option("--idle-timeout", options.idle_timeout, "seconds a connection may stay silent")
      ->check(CLI::PositiveNumber);
  serve
      ->add_option("--request-timeout", options.request_timeout, "seconds a whole request may take")
      ->check(CLI::PositiveNumber);
  serve
      ->add_option("--trusted-proxy", options.trusted_proxies,
                   "a reverse proxy (address or CIDR range) whose X-Forwarded-For counts")
      ->check([](const std::string& text) {
        return server::ParseAddressRange(text) ? "" : "'" + text + "' is no address or CIDR range";
      });
  serve->add_option("--signups-per-hour", options.signups_per_hour, "sign-ups from one address")
      ->check(CLI::PositiveNumber);
  serve->add_option("--signup-limit", options.signup_limit, "sign-ups while the server runs")
      ->check(CLI::PositiveNumber);
  serve
      ->add_option("--keep-versions", options.keep_versions,
                   "an entrant's newest versions whose files are kept (0: all)")
      ->check(CLI::NonNegativeNumber);
  serve
      ->add_option("--entrant-quota", options.entrant_quota,
                   "bytes an entrant's kept versions may take, e.g. 64MiB (0: no limit)")
      ->transform(CLI::AsSizeValue(false));
  serve->add_option("--webhook", options.webhooks.urls,
                    "an http or https URL to post each verdict, decision, new first place and "
                    "close to (repeatable)");
  serve
      ->add_option("--webhook-format", options.webhooks.format,
                   "json (the event) or discord (a short message)")
      ->transform(CLI::CheckedTransformer(std::map<std::string, server::WebhookFormat>{
          {"json", server::WebhookFormat::kJson}, {"discord", server::WebhookFormat::kDiscord}}));
  serve->add_flag("--webhook-allow-private", options.webhooks.allow_private,
                  "webhooks may go to loopback and private addresses");
  return serve;
}

CLI::App* AddTokenCommand(CLI::App& app, GivenToken& given) {
  CLI::App* token = app.add_subcommand(
      "token", "Issues entrants' and organisers' tokens; each replaces the holder's old one.");
  token->allow_extras(false);
  token->add_option("BASEDIR", given.base, "the competition folder")->required();
  token->add_option("ENTRY", given.entries,
                    "entry folders (each made by its first accepted upload)");
  token->add_option("--organiser", given.organisers,
                    "organisers who judge on the server (names of 1 to 40 of A-Z a-z 0-9 _ -)");
  token->add_option("--state", given.state, "the server's own data; not inside BASEDIR")
      ->required();
  return token;
}

CLI::App* AddLedgerCommand(CLI::App& app, GivenLedger& given) {
  CLI::App* ledger = app.add_subcommand(
      "ledger", "Prints every upload and decision the server kept, oldest first (JSON Lines).");
  ledger->allow_extras(false);
  ledger->add_option("BASEDIR", given.base, "the competition folder")->required();
  ledger->add_option("--state", given.state, "the server's own data")->required();
  return ledger;
}

CLI::App* AddFinalizeCommand(CLI::App& app, GivenFinalize& given) {
  CLI::App* finalize = app.add_subcommand(
      "finalize", "Publishes the next final revision of the results (no server running).");
  finalize->allow_extras(false);
  finalize->add_option("BASEDIR", given.base, "the competition folder")->required();
  finalize->add_option("--state", given.state, "the server's own data")->required();
  finalize->add_option("--reason", given.reason, "why this revision is published")->required();
  return finalize;
}

CLI::App* AddVerifyFinalCommand(CLI::App& app, GivenVerifyFinal& given) {
  CLI::App* verify = app.add_subcommand(
      "verify-final", "Checks a final revision against its manifest and the competition folder.");
  verify->allow_extras(false);
  verify->add_option("BASEDIR", given.base, "the competition folder")->required();
  verify->add_option("N", given.revision, "the revision (default: the latest)")
      ->check(CLI::PositiveNumber);
  verify->add_option("--state", given.state, "the server's own data")->required();
  return verify;
}

}  // namespace hl::cli
