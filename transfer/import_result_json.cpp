// What a reader found, as JSON text.
#include "transfer/import_result_json.h"

#include <nlohmann/json.hpp>

namespace qm {

std::string ImportResultToJson(bool read, const ImportResult& result, const TextProblem& problem) {
  nlohmann::json entries = nlohmann::json::array(), notes = nlohmann::json::array();
  for (const ImportedEntry& e : result.entries) {
    entries.push_back({{"name", e.name},
                       {"text", e.text},
                       {"abbreviation", e.abbreviation},
                       {"at_once", e.at_once},
                       {"title", e.title},
                       {"dosbox", e.dosbox},
                       {"crypt", e.crypt},
                       {"delivery", e.delivery},
                       {"html", e.html},
                       {"line", e.line}});
  }
  for (const ImportNote& n : result.notes) {
    notes.push_back({{"line", n.line}, {"entry", n.entry}, {"what", n.what}});
  }
  const nlohmann::json all = {{"read", read},
                              {"problem", {{"line", problem.line}, {"what", problem.what}}},
                              {"entries", std::move(entries)},
                              {"notes", std::move(notes)}};
  // Texts from a damaged file may hold broken UTF-8; they pass as they are.
  return all.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
}

bool ImportResultFromJson(std::string_view json, ImportResult* result, TextProblem* problem) {
  const nlohmann::json all = nlohmann::json::parse(json, nullptr, false);
  try {
    ImportResult out;
    for (const nlohmann::json& e : all.at("entries")) {
      ImportedEntry entry;
      entry.name = e.at("name").get<std::string>();
      entry.text = e.at("text").get<std::string>();
      entry.abbreviation = e.at("abbreviation").get<std::string>();
      entry.at_once = e.at("at_once").get<bool>();
      entry.title = e.at("title").get<std::string>();
      entry.dosbox = e.at("dosbox").get<bool>();
      entry.crypt = e.at("crypt").get<bool>();
      entry.delivery = e.at("delivery").get<std::string>();
      entry.line = e.at("line").get<std::size_t>();
      entry.html = e.value("html", std::string());
      out.entries.push_back(std::move(entry));
    }
    for (const nlohmann::json& n : all.at("notes")) {
      out.notes.push_back({n.at("line").get<std::size_t>(), n.at("entry").get<std::string>(),
                           n.at("what").get<std::string>()});
    }
    if (!all.at("read").get<bool>()) {
      *problem = {all.at("problem").at("line").get<std::size_t>(),
                  all.at("problem").at("what").get<std::string>()};
      return false;
    }
    *result = std::move(out);
    return true;
  } catch (const nlohmann::json::exception&) {
    *problem = {0, "Das Lesemodul hat keine verständliche Antwort gegeben."};
    return false;
  }
}

}  // namespace qm
