#include "cli/store_commands.h"

#include "cli/cli.h"
#include "platform/root_dir.h"
#include "store/http_client.h"
#include "store/package_download.h"

namespace vestora::cli {
namespace {

// The download's messages on standard output; its one question answered as
// the command line says.
class ConsoleDialogs : public UserDialogs {
 public:
  ConsoleDialogs(std::ostream& out, bool reinstall) : out_(out), reinstall_(reinstall) {}

  void showMessage(const std::string& text, const std::string&, MessageIcon) override {
    out_ << text << '\n';
  }
  bool askYesNo(const std::string& text, const std::string&) override {
    out_ << text << (reinstall_ ? " 是\n" : " 否\n");
    return reinstall_;
  }
  std::optional<std::string> chooseFile(const FileRequest&) override { return std::nullopt; }
  std::optional<Rgb> chooseColour(Rgb) override { return std::nullopt; }

 private:
  std::ostream& out_;
  bool reinstall_;
};

}  // namespace

const char* const kGetHelp =
    "usage: vestora-cli get URL FILE\n"
    "Downloads URL (http only) into FILE with the program's own HTTP client and\n"
    "prints its result: the number of bytes written, or -1 (no or bad answer),\n"
    "-3 (no connection) or -4 (FILE cannot be written). Exit status 0 for a\n"
    "download, 1 otherwise; FILE does not remain after a failure.\n";

const char* const kInstallHelp =
    "usage: vestora-cli install URL [--root DIR] [--reinstall yes|no]\n"
    "Installs a garment package of the store as the program does when a package\n"
    "link is followed: downloads it into DIR/download, checks the store's\n"
    "signature, runs its installer into DIR and prints the program's messages.\n"
    "--reinstall answers the question asked when the package is there already\n"
    "(default: no). Exit status 0 when the garment was installed.\n";

int runGet(const Args& args, std::ostream& out, std::ostream& err) {
  if (args.positional().size() != 2) {
    err << "vestora-cli: get takes a URL and a file\n";
    return kUsage;
  }
  const std::int64_t result =
      HttpGetToFile(args.positional()[0], args.positional()[1], std::nullopt);
  out << result << '\n';
  return result >= 0 ? kOk : kBadInput;
}

int runInstall(const Args& args, std::ostream& out, std::ostream& err) {
  if (args.positional().size() != 1) {
    err << "vestora-cli: install takes one package URL\n";
    return kUsage;
  }
  const std::string answer = args.value("--reinstall").value_or("no");
  if (answer != "yes" && answer != "no") {
    err << "vestora-cli: --reinstall takes yes or no\n";
    return kUsage;
  }
  const std::string& url = args.positional()[0];
  if (!IsPackageLink(url)) {
    err << "vestora-cli: " << url << " is not a package of the store (productdata/NAME.exe)\n";
    return kUsage;
  }
  ConsoleDialogs dialogs(out, answer == "yes");
  DownloadContext context;
  context.dialogs = &dialogs;
  context.rootDir = args.value("--root").value_or(GetRootDir());
  const DownloadOutcome outcome =
      DownloadThread(std::make_unique<DownloadJob>(DownloadJob{url, std::move(context)}));
  return outcome == DownloadOutcome::Installed ? kOk : kBadInput;
}

}  // namespace vestora::cli
