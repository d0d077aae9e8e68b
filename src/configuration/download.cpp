#include <algorithm>
#include <set>

#include "configuration/device_codec.h"
#include "configuration/transfer.h"
#include "pages/response_messages.h"

namespace zolin6::configuration {

namespace {

constexpr const char* kWriteProtection = "hart.write protection";

bool Cancelled(const TransferOptions& options) { return options.cancel != nullptr && options.cancel->load(); }

bool ProtectionOn(const Configuration& configuration) {
  auto found = configuration.values.find(kWriteProtection);
  return found != configuration.values.end() && found->second != Value{std::int64_t{0}};
}

}  // namespace

std::string ResponseMeaning(int responseCode) {
  // The texts the pages show; a download holds no current and changes no
  // unit on its own, so code 11 is about the unit.
  if (responseCode == 11) return pages::kInvalidUnitMessage;
  if (const auto text = pages::ResponseCodeMessage(responseCode)) return std::string(*text);
  return "response code " + std::to_string(responseCode);
}

std::string DownloadPlan::deviceTag() const {
  auto found = device.values.find("identification.tag");
  return found == device.values.end() ? std::string() : ValueText(found->second);
}

DownloadPlan PlanDownload(const Configuration& device, const Configuration& file) {
  DownloadPlan plan{device, Compare(device, file), {}};
  std::set<std::string> changed;
  for (const Difference& difference : plan.comparison.differences) changed.insert(difference.key);
  std::set<std::string> resetGroups;
  for (const CatalogueWrite& write : Writes()) {
    PlannedWrite planned{&write, {}};
    for (const WriteAttribute& attribute : write.attributes) {
      if (attribute.owned && changed.contains(attribute.source)) planned.changes.push_back(attribute.source);
    }
    if (planned.changes.empty() && !resetGroups.contains(write.group)) continue;
    if (write.resetsGroup) resetGroups.insert(write.group);
    plan.writes.push_back(std::move(planned));
  }
  // Protection on at the device and off in the file: switch it off first,
  // or the device refuses every other write.
  if (ProtectionOn(device) && !ProtectionOn(file)) {
    auto hart = std::ranges::find_if(plan.writes, [](const PlannedWrite& w) { return w.write->code == 2; });
    if (hart != plan.writes.end()) std::rotate(plan.writes.begin(), hart, hart + 1);
  }
  return plan;
}

DownloadResult Download(LinkClient& link, const Configuration& file, const DownloadPlan& plan,
                        const TransferOptions& options) {
  DownloadResult result;
  const int total = static_cast<int>(plan.writes.size());
  for (int i = 0; i < total; ++i) {
    const PlannedWrite& planned = plan.writes[static_cast<std::size_t>(i)];
    const CatalogueWrite& write = *planned.write;
    if (!result.refusal && !result.error && Cancelled(options)) result.error = "the download was cancelled";
    if (result.refusal || result.error) {
      result.notWritten.push_back(write.title);
      continue;
    }
    if (options.progress) options.progress({i, total, write.title});
    Result<Attributes> attributes = EncodeWrite(write, file);
    Result<int> response = attributes ? link.Write(write.code, *attributes) : Result<int>(attributes.error());
    if (!response) {
      result.error = write.title + ": " + response.error().message;
      result.notWritten.push_back(write.title);
    } else if (*response != 0) {
      result.refusal = Refusal{write.title, write.code, *response, ResponseMeaning(*response), planned.changes};
      result.notWritten.push_back(write.title);
    } else {
      result.written.push_back(write.title);
    }
  }
  if (result.refusal || result.error) return result;
  Result<Configuration> after = Upload(link, {options.progress, options.cancel, options.readAt});
  if (!after) {
    result.error = "reading the device back: " + after.error().message;
    return result;
  }
  result.verified = Compare(file, *after);
  result.readBack = std::move(after).value();
  return result;
}

}  // namespace zolin6::configuration
