// The command-line syntaxes of the library families, each parsed into one request: what to
// do, on which archive, into which folder, for which members, with which choices.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace frontends {

/// The syntax families; ARJ speaks the LHA syntax.
enum class Family { Lha, Arj, Zip, Cab, Tar, Rar };

/// What a command asks for.
enum class Action {
  Extract,
  Test,
  List,
  NotSupported,  ///< a well-formed command we do not perform (packing, deleting, ...)
};

/// A command line parsed. On failure `error` holds a readable reason and the rest is unset.
struct ParsedCommand {
  Action action = Action::Extract;
  std::string command;                ///< the command item as written ("x", "-x", ...)
  std::string archive;
  std::string destDir;                ///< empty: the current folder
  std::vector<std::string> patterns;  ///< members to take; empty: all
  std::vector<std::string> excludes;  ///< members to leave out (LHA "-jx")
  bool useFolders = true;
  bool overwrite = false;
  bool bracketClasses = false;        ///< patterns use "[...]" classes (ZIP)
  std::string error;
};

/// Parses one command line of `family`, reading "@" response files among the members.
ParsedCommand ParseCommandLine(Family family, std::string_view line);

}  // namespace frontends
