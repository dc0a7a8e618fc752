#include "archive/archiver.h"

namespace archive {

void* GetDLLEntry(HMODULE module, const char* entryName) {
  const char* name = entryName ? entryName : "";
  void* entry = platform::GetProcAddress(module, name);
  if (!entry)
    throw EArchiver(platform::GetModuleFileName(module) + " に " + name +
                    " のエントリが見つかりません。");
  return entry;
}

TArchiver::TArchiver(ClassLoader loadDLL) {
  // A class without a loader of its own has the base one, which raises.
  if (loadDLL)
    loadDLL();
  else
    TArchiver::LoadDLL();
}

void TArchiver::LoadDLL() { throw EArchiver("Abstract method 'TArchiver.LoadDLL' was called"); }

void TArchiver::FreeDLL() { throw EArchiver("Abstract method 'TArchiver.FreeDLL' was called"); }

HARC TArchiver::OpenArchive(HWND, const std::string&, DWORD) { return 0; }

int TArchiver::FindFirst(HARC, libapi::INDIVIDUALINFO*, const std::string&) { return -1; }

int TArchiver::FindNext(HARC, libapi::INDIVIDUALINFO*) { return -1; }

int TArchiver::CloseArchive(HARC) { return 0; }

int TArchiver::Pack(HWND, const std::string&, const TArchiverOptions&, const std::string&,
                    const TStrings*, bool, std::string&) {
  throw EArchiver("この形式では書庫ファイルの作成をサポートしておりません。");
}

int TArchiver::RemoveItem(HWND, const std::string&, const TArchiverOptions&, const std::string&,
                          const TStrings*, bool, std::string&) {
  throw EArchiver("この形式の書庫ではファイルの削除をサポートしておりません。");
}

int TArchiver::Update(HWND, const std::string&, const TArchiverOptions&, const std::string&,
                      const TStrings*, bool, std::string&) {
  throw EArchiver("この形式の書庫では書庫の更新をサポートしておりません。");
}

int TArchiver::MakeSFX(HWND, const std::string&, const TArchiverOptions&, const std::string&,
                       std::string&) {
  throw EArchiver("この形式では自己解凍書庫の作成をサポートしておりません。");
}

int TArchiver::CheckArchive(const std::string&, int, int) {
  throw EArchiver("この形式では書庫チェック機能をサポートしておりません。");
}

bool TArchiver::SetOwnerWindow(HWND, void*) { return false; }

bool TArchiver::KillOwnerWindow(HWND) { return false; }

void TArchiver::AddArchiveAndDir(TCmdOpt& Opt, const std::string& ArchiveName,
                                 const std::string& Dir) {
  Opt.AddPath("", ArchiveName);
  Opt.AddDir("", Dir);
}

void TArchiver::AddFileArgs(TCmdOpt& Opt, const TArchiverOptions& Options, bool UseResFile,
                            const TStrings* Files) {
  if (Files) {
    if (UseResFile && !Options.ResFileName.empty() && Options.ResFileName != NoValue)
      Opt.AddListFile(*Files, Options.ResFileName);
    else
      Opt.AddFiles("", *Files);
  }
  Opt.Add(Options.UserFileList);
}

}  // namespace archive
