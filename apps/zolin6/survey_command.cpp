#include "survey_command.h"

#include <QEventLoop>

#include <ostream>
#include <unordered_set>

#include "history/sql_store.h"

#include "plant/plant_csv.h"
#include "plant/plant_file.h"
#include "plant/survey.h"
#include "platform/atomic_file.h"

namespace zolin6::app {

namespace {

// The rows of the surveyed endpoints, as the survey left them in order.
std::vector<plant::PlantDevice> RowsOf(const plant::Survey& survey) {
  std::unordered_set<std::string> surveyed;
  for (const plant::EndpointOutcome& outcome : survey.outcomes()) surveyed.insert(outcome.endpoint);
  std::vector<plant::PlantDevice> rows;
  for (const plant::PlantDevice& row : survey.rows()) {
    if (surveyed.contains(row.endpoint)) rows.push_back(row);
  }
  return rows;
}

}  // namespace

int RunSurvey(const std::string& plantFile, const std::string& csvFile, const history::StoreLocation& store,
              std::ostream& out, std::ostream& err) {
  const auto fail = [&err](const std::string& why) {
    err << "zolin6: " << why << std::endl;
    return 2;
  };
  if (csvFile.empty()) return fail("--survey needs --out FILE.csv");
  Result<std::vector<plant::PlantEndpoint>> endpoints = plant::ReadPlantFile(plantFile);
  if (!endpoints) return fail(endpoints.error().message);
  history::SqlHistoryStore history(store);
  QEventLoop loop;
  plant::Survey survey(std::move(endpoints).value(), {{}, [&loop](bool) { loop.quit(); }});
  if (Result<std::vector<plant::PlantDevice>> known = history.LoadPlant(); known) {
    survey.SetRows(std::move(known).value());
  } else {
    err << "zolin6: the plant list of the device history is not read (" << known.error().message
        << "); the survey starts without it" << std::endl;
  }
  survey.Start();
  if (survey.running()) loop.exec();

  int status = 0;
  int reached = 0;
  for (const plant::EndpointOutcome& outcome : survey.outcomes()) {
    if (outcome.reached) {
      ++reached;
    } else {
      err << "zolin6: " << outcome.endpoint << ": not reached: " << outcome.why << std::endl;
      status = 2;
    }
  }
  const std::vector<plant::PlantDevice> rows = RowsOf(survey);
  std::size_t attention = 0;
  for (const plant::PlantDevice& row : rows) {
    if (row.answering && plant::NeedsAttention(row.health)) ++attention;
  }
  if (status == 0 && attention > 0) status = 1;
  if (Result<bool> written = platform::WriteFileAtomically(csvFile, plant::PlantCsv(rows)); !written) {
    return fail(written.error().message);
  }
  out << "zolin6: " << reached << " of " << survey.outcomes().size() << " endpoints reached, " << rows.size()
      << " devices, " << attention << " in failure or needing maintenance" << std::endl;
  if (Result<bool> kept = history.SavePlant(survey.rows()); !kept) {
    return fail("the plant list is not stored in the device history: " + kept.error().message);
  }
  return status;
}

}  // namespace zolin6::app
