// Builds against the installed package through the umbrella header alone.
#include <BufferApi.h>

#include <iostream>
#include <memory>

int main()
{
  using namespace BufferApi;
  std::unique_ptr<I_PlaneBase> plane(CreatePlane(DT_UInt16, 4, 3));
  std::unique_ptr<I_Scale> scale(C_ScaleFactory::GetInstance().CreateLinearScale(2.0, 1.0, "mm", "x"));
  if (!plane || !scale)
    return 1;
  plane->Fill(70000.0);
  try
  {
    plane->Resize(1, 0, 0, 0);
  }
  catch (const std::exception& e)
  {
    std::cout << "installed package works: " << plane->GetWidth() << " x " << plane->GetHeight() << ", "
              << plane->GetValue(0, 0) << ", " << scale->ToWorld(3.0) << " " << scale->GetUnit()->GetSymbol() << ", "
              << e.what() << '\n';
    return 0;
  }
  return 1;
}
