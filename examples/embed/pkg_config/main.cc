// The lathe program of the groove in a DXF drawing, in the LinuxCNC dialect.
#include <cstdio>
#include <exception>

#include <sulkor/values.h>

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: nc_example DRAWING.dxf\n");
    return 2;
  }
  try {
    sulkor::GrooveRequest request = sulkor::RequestFor(sulkor::ReadDrawing(argv[1]));
    request.tool = {.width = 3, .cornerRadius = 0.2};
    const sulkor::GrooveResult result = sulkor::RunGroove(request);
    if (!result.Ok()) {
      std::fprintf(stderr, "%s\n", result.message.c_str());
      return 1;
    }
    std::fputs(sulkor::PostProgram(result, "linuxcnc").c_str(), stdout);
  } catch (const std::exception& error) {
    std::fprintf(stderr, "%s\n", error.what());
    return 2;
  }
}
