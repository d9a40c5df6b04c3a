#pragma once

// Processor support for the vector paths of the sample helpers and filters.
bool HasSse();
bool HasSse2();
