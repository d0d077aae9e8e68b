#pragma once
// Upload and download of a whole configuration over the framework link.
// Both report their progress and stop between two requests when asked to,
// so a window can show a progress bar with Cancel; results are data.

#include <atomic>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "configuration/catalogue.h"
#include "configuration/compare.h"
#include "configuration/link_client.h"
#include "configuration/values.h"
#include "platform/result.h"

namespace zolin6::configuration {

struct Progress {
  int done;          // requests answered so far
  int total;         // requests the operation sends
  std::string step;  // what is being read or written ("range of channel 2")
};

struct TransferOptions {
  std::function<void(const Progress&)> progress;  // called before each request; may be empty
  const std::atomic<bool>* cancel = nullptr;      // set from elsewhere to stop before the next request
  std::string readAt;                             // the time stamp an upload records (the host's clock)
};

// Reads every page the catalogue needs and returns the device's
// configuration; fails when a read fails, an answer lacks a value, the
// device holds a value a file could not hold, or the operation is
// cancelled.
Result<Configuration> Upload(LinkClient& link, const TransferOptions& options);

// One write of a download and the values that make it necessary.
struct PlannedWrite {
  const CatalogueWrite* write;
  std::vector<std::string> changes;  // the keys of the values that differ
};

// What a download would change on the device, for the confirmation.
struct DownloadPlan {
  Configuration device;              // the device as read before
  Comparison comparison;             // device against file
  std::vector<PlannedWrite> writes;  // in the order they are sent
  std::string deviceTag() const;
};

// The writes that bring the device from `device` to `file`: only those
// carrying a value that differs, and with a changed sensor its channel's
// range too (the device resets it).
DownloadPlan PlanDownload(const Configuration& device, const Configuration& file);

// A write the device refused.
struct Refusal {
  std::string title;                 // "range of channel 2"
  int writeCode;                     // its operation code
  int responseCode;                  // the device's response code
  std::string meaning;               // what the device says with it ("In Write Protect Mode!")
  std::vector<std::string> changes;  // the values it was to write
};

struct DownloadResult {
  std::vector<std::string> written;       // titles of the writes the device carried out
  std::vector<std::string> notWritten;    // titles of the writes not carried out
  std::optional<Refusal> refusal;         // the write that stopped the download
  std::optional<std::string> error;       // a link failure or a cancel that stopped it
  std::optional<Comparison> verified;     // file against the device read back afterwards
  std::optional<Configuration> readBack;  // the device as read back afterwards
  bool ok() const { return !refusal && !error && verified && verified->same(); }
};

// Sends the plan's writes one after the other, each checked against the
// device's answer, stopping at the first refusal; then reads the device
// back and compares it with `file`.
DownloadResult Download(LinkClient& link, const Configuration& file, const DownloadPlan& plan,
                        const TransferOptions& options);

// The meaning of a device response code, as the pages show it.
std::string ResponseMeaning(int responseCode);

}  // namespace zolin6::configuration
