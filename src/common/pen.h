// Where the pen is, or is to go: the one word the reader, the drive and the views share.
#pragma once

namespace orlex {

// Down draws, Up travels.
enum class Pen { Up, Down };

} // namespace orlex
