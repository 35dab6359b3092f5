#include "core/run_record.h"

namespace vornup {

bool RunRecord::hasOperationSwitch() const {
  const Switches& sw = switches;
  return sw.rewrite || sw.downgrade || sw.update || sw.forceFw || sw.forceBootCode;
}

bool RunRecord::isQueryOnly() const {
  const Switches& sw = switches;
  return sw.query && !(hasOperationSwitch() || sw.help || sw.autoMode);
}

RunOperation RunRecord::operation() const {
  const Switches& sw = switches;
  if (sw.update) return RunOperation::update;
  if (sw.rewrite) return RunOperation::rewrite;
  if (sw.downgrade) return RunOperation::downgrade;
  if (sw.forceFw || sw.forceBootCode) return RunOperation::force;
  if (isQueryOnly()) return RunOperation::query;
  return RunOperation::none;
}

ImageRecord& imageRecordOf(Adapter& adapter, ImageKind kind) {
  return kind == ImageKind::firmware ? adapter.firmwareRecord : adapter.bootCodeRecord;
}

const ImageRecord& imageRecordOf(const Adapter& adapter, ImageKind kind) {
  return kind == ImageKind::firmware ? adapter.firmwareRecord : adapter.bootCodeRecord;
}

}  // namespace vornup
