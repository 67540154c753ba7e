#include "platform/d3d9/LiveObjects.h"

namespace d3d9 {
namespace {

LiveObjects counts;

}  // namespace

const LiveObjects& liveObjects() { return counts; }

Counted::Counted(int LiveObjects::*kind) : kind(kind) { ++(counts.*kind); }

Counted::~Counted() { --(counts.*kind); }

}  // namespace d3d9
