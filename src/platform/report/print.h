// Printing through the system's print service (CUPS).
#pragma once
#include <string>
#include <vector>

#include "platform/report/document.h"

namespace yz::report {

struct PrinterInfo {
  std::string name;      // destination name ("name/instance" for an instance)
  bool isDefault = false;
};

// Destinations the print service knows; empty when none is reachable.
std::vector<PrinterInfo> ListPrinters();

// Sends a PDF file to a destination (empty: the default destination) and answers the job
// id. Throws yz::Error with the print service's reason when the file is missing, no
// destination is available, or the service refuses the job.
int PrintPdfFile(const std::string& pdfPath, const std::string& destination, const std::string& title,
                 int copies = 1);

// Renders the document to a temporary PDF and prints it as above.
int PrintDocument(const Document& doc, const std::string& destination, const std::string& title, int copies = 1);

}  // namespace yz::report
