#include "survey_command.h"

#include <QEventLoop>

#include <ostream>

#include "plant/plant_csv.h"
#include "plant/plant_file.h"
#include "plant/survey.h"
#include "platform/atomic_file.h"

namespace zolin6::app {

int RunSurvey(const std::string& plantFile, const std::string& csvFile, std::ostream& out, std::ostream& err) {
  const auto fail = [&err](const std::string& why) {
    err << "zolin6: " << why << std::endl;
    return 2;
  };
  if (csvFile.empty()) return fail("--survey needs --out FILE.csv");
  Result<std::vector<plant::PlantEndpoint>> endpoints = plant::ReadPlantFile(plantFile);
  if (!endpoints) return fail(endpoints.error().message);
  QEventLoop loop;
  plant::Survey survey(std::move(endpoints).value(), {{}, [&loop](bool) { loop.quit(); }});
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
  std::size_t attention = 0;
  for (const plant::PlantDevice& row : survey.rows()) {
    if (row.answering && plant::NeedsAttention(row.health)) ++attention;
  }
  if (status == 0 && attention > 0) status = 1;
  if (Result<bool> written = platform::WriteFileAtomically(csvFile, plant::PlantCsv(survey.rows())); !written) {
    return fail(written.error().message);
  }
  out << "zolin6: " << reached << " of " << survey.outcomes().size() << " endpoints reached, " << survey.rows().size()
      << " devices, " << attention << " in failure or needing maintenance" << std::endl;
  return status;
}

}  // namespace zolin6::app
