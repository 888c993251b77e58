#include "cli/logfolder.h"

#include <unistd.h>

#include <cstring>
#include <memory>

#include "collab/transactionfile.h"
#include "collab/transactionsync.h"

namespace kolvaro::cli {
namespace {

constexpr std::string_view kOption = "--log-folder";

}  // namespace

bool CLogFolderOption::Take(std::vector<std::string>& args) {
  std::vector<std::string> rest;
  bool ok = true;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    if (a == "--") {
      rest.insert(rest.end(), args.begin() + static_cast<std::ptrdiff_t>(i), args.end());
      break;
    }
    std::optional<std::string> value;
    if (a == kOption) {
      if (i + 1 < args.size()) value = args[++i];
      else ok = false;
    } else if (a.size() > kOption.size() && a.compare(0, kOption.size(), kOption) == 0 &&
               a[kOption.size()] == '=') {
      value = a.substr(kOption.size() + 1);
    } else {
      rest.push_back(a);
      continue;
    }
    if (!value || value->empty() || m_folder) ok = false;
    if (value) m_folder = std::move(value);
  }
  args = std::move(rest);
  return ok;
}

bool CLogFolderOption::Start(Context& ctx, CMeriskDoc& doc) {
  if (!m_folder) return true;
  auto log = std::make_unique<CTransactionFile>(*m_folder);
  if (!log->Open()) {
    Fail(ctx, Text(IDS_CLI_LOG_NOT_CREATED, {*m_folder}));
    return false;
  }
  // A failure here only costs the album's sync re-applying its own records.
  NoteOwnTransactionFile(doc.GetPathName(), log->GetFilePath());
  doc.SetTransactionLog(std::move(log));
  return true;
}

bool CLogFolderOption::Finish(Context& ctx, CMeriskDoc& doc, bool saved) {
  auto* file = dynamic_cast<CTransactionFile*>(doc.TransactionLog());
  if (!m_folder || !file) return saved;
  const std::string path = file->GetFilePath();
  const int error = file->WriteError();
  doc.TakeTransactionLog();  // finishes the file, or removes it when empty
  if (!saved) {
    ::unlink(path.c_str());
    return false;
  }
  if (error != 0) {
    Fail(ctx, Text(IDS_CLI_LOG_INCOMPLETE, {path, std::string(std::strerror(error))}));
    return false;
  }
  return true;
}

}  // namespace kolvaro::cli
