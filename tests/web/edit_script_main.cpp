// Drives the editor model with verbs read from standard input, one a line,
// and writes the program file that Save would write to standard output: the
// bytes the web page's Save must give for the same verbs.
//
//   choose NAME       a command chosen in the tree
//   select ROW        an entry selected in the program list
//   add | cancel | remove | state | up | down
//   param K STEP      parameter row K moved by STEP from where it stands
//   seed STEP | offsetx STEP | offsety STEP
//   method M | fixed 0|1
//   remark TEXT       the author's remark (Windows-1252 bytes)
//   undo | redo       through the undo history
//
// An unknown verb, or one the model refuses, ends with status 2.
#include <cstdio>
#include <iostream>
#include <sstream>
#include <string>

#include "document/editor_model.h"
#include "document/program_file.h"
#include "document/undo_history.h"

using namespace mottler;

namespace {

bool perform(EditorModel& m, UndoHistory& h, const std::string& line) {
  std::istringstream in(line);
  std::string verb;
  in >> verb;
  auto keep = [&](EditResult r) {
    if (!r.step) return false;
    h.record(std::move(*r.step));
    return true;
  };
  auto put = [&](std::optional<RestoredState> s) {
    if (!s) return false;
    m.restore(s->state);
    m.setModified(!h.isClean());
    m.startGesture();
    return true;
  };
  int a = 0;
  int b = 0;
  if (verb == "choose") {
    std::string name;
    std::getline(in >> std::ws, name);
    const std::optional<int> index = CommandCatalogue().indexOfName(name);
    return index && keep(m.chooseCommand(*index));
  }
  if (verb == "select") return (in >> a) && m.selectEntry(a);
  if (verb == "add") return keep(m.add());
  if (verb == "cancel") return keep(m.cancel());
  if (verb == "remove") return keep(m.remove());
  if (verb == "state") return keep(m.toggleState());
  if (verb == "up") return keep(m.moveUp());
  if (verb == "down") return keep(m.moveDown());
  if (verb == "param")
    return (in >> a >> b) && keep(m.setParameter(a, m.parameterRow(a).position + b));
  if (verb == "seed") return (in >> a) && keep(m.setSeed(m.seed() + a));
  if (verb == "offsetx") return (in >> a) && keep(m.setOffsetX(m.offsetXBar().position + a));
  if (verb == "offsety") return (in >> a) && keep(m.setOffsetY(m.offsetYBar().position + a));
  if (verb == "method") return (in >> a) && keep(m.setMethod(a));
  if (verb == "fixed") return (in >> a) && keep(m.setFixedColors(a != 0));
  if (verb == "remark") {
    std::string text;
    std::getline(in >> std::ws, text);
    return keep(m.setRemark(text));
  }
  if (verb == "undo") return put(h.undo());
  if (verb == "redo") return put(h.redo());
  return false;
}

}  // namespace

int main() {
  EditorModel model;
  UndoHistory history;
  model.newDocument(256, 256, "Untitled.mlr", "Untitled.mlr");
  std::string line;
  while (std::getline(std::cin, line)) {
    if (line.empty()) continue;
    if (!perform(model, history, line)) {
      std::cerr << "edit-script: cannot do: " << line << '\n';
      return 2;
    }
  }
  const std::vector<std::uint8_t> bytes = encodeProgram(model.committedDocument());
  std::fwrite(bytes.data(), 1, bytes.size(), stdout);
  return std::fflush(stdout) == 0 ? 0 : 1;
}
