#include "platform/report/print.h"

#include <cups/cups.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>

#include "platform/base/error.h"
#include "platform/report/render.h"

namespace yz::report {

namespace {

std::string LastCupsError() {
  const char* s = cupsLastErrorString();
  return (s && *s) ? s : "unknown print service error";
}

}  // namespace

std::vector<PrinterInfo> ListPrinters() {
  std::vector<PrinterInfo> out;
  cups_dest_t* dests = nullptr;
  int n = cupsGetDests2(CUPS_HTTP_DEFAULT, &dests);
  for (int i = 0; i < n; ++i) {
    PrinterInfo p;
    p.name = dests[i].name ? dests[i].name : "";
    if (dests[i].instance) p.name += std::string("/") + dests[i].instance;
    p.isDefault = dests[i].is_default != 0;
    out.push_back(std::move(p));
  }
  cupsFreeDests(n, dests);
  return out;
}

int PrintPdfFile(const std::string& pdfPath, const std::string& destination, const std::string& title, int copies) {
  std::error_code ec;
  if (!std::filesystem::is_regular_file(pdfPath, ec)) throw Error("Cannot print '" + pdfPath + "': the file does not exist");
  if (copies < 1) throw Error("Cannot print: the number of copies must be at least 1");

  cups_dest_t* dests = nullptr;
  int n = cupsGetDests2(CUPS_HTTP_DEFAULT, &dests);
  std::string name, instance;
  cups_dest_t* dest = nullptr;
  if (destination.empty()) {
    dest = cupsGetDest(nullptr, nullptr, n, dests);
  } else {
    auto slash = destination.find('/');
    name = destination.substr(0, slash);
    if (slash != std::string::npos) instance = destination.substr(slash + 1);
    dest = cupsGetDest(name.c_str(), instance.empty() ? nullptr : instance.c_str(), n, dests);
  }
  if (!dest) {
    cupsFreeDests(n, dests);
    if (destination.empty())
      throw Error("Cannot print: no default printer is available (" + LastCupsError() + ")");
    throw Error("Cannot print: printer '" + destination + "' is not available (" + LastCupsError() + ")");
  }
  cups_option_t* options = nullptr;
  int nopt = 0;
  nopt = cupsAddOption("copies", std::to_string(copies).c_str(), nopt, &options);
  int job = cupsPrintFile2(CUPS_HTTP_DEFAULT, dest->name, pdfPath.c_str(), title.c_str(), nopt, options);
  cupsFreeOptions(nopt, options);
  std::string printer = dest->name;
  cupsFreeDests(n, dests);
  if (job == 0) throw Error("Cannot print on '" + printer + "': " + LastCupsError());
  return job;
}

int PrintDocument(const Document& doc, const std::string& destination, const std::string& title, int copies) {
  std::error_code ec;
  auto dir = std::filesystem::temp_directory_path(ec);
  if (ec) dir = "/tmp";
  std::string tmpl = (dir / "yzprint-XXXXXX.pdf").string();
  int fd = mkstemps(tmpl.data(), 4);
  if (fd < 0) throw Error("Cannot print: no temporary file for the print job");
  close(fd);
  struct Remove {
    std::string p;
    ~Remove() { std::remove(p.c_str()); }
  } remove{tmpl};
  RenderPdf(doc, tmpl);
  return PrintPdfFile(tmpl, destination, title, copies);
}

}  // namespace yz::report
