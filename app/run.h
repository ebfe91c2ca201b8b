#ifndef GALLERY_APP_RUN_H_
#define GALLERY_APP_RUN_H_

#include <string>
#include <string_view>
#include <vector>

#include "app/exit_code.h"

namespace gallery {

// The token a host must pass as the first argument.
inline constexpr std::string_view kAccessToken = "Kd4wPz7Qa1Xn9TbM";

// One run over the split argument list (token, input collection, output collection, optional
// thumbnail switch): loads, generates, deletes the input collection file when at least two
// arguments were given (unless generation saved the output over that very file; and only a
// regular file or a link) and returns how it ended. Holds the lock of the gallery root from
// the token check to the end, waiting for another run that holds it. A gallery that would
// write over one of its sources (a photo, or the input under another name than the output
// collection file) is not generated: `kGenerateFailed`. Prints nothing.
ExitCode RunGallery(const std::vector<std::string>& arguments);

}  // namespace gallery

#endif  // GALLERY_APP_RUN_H_
