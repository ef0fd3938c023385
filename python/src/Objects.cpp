// Buffers and frames as Python objects, and the making of frames of every
// type (filled afterwards through their component views).
#include "Handles.h"

#include <pybind11/stl.h>

using namespace BufferApi;

namespace BufferPython
{
namespace
{
std::string FrameType(const I_Frame* frame)
{
  // The most derived interface first: an RGB frame is an image frame too.
  if (dynamic_cast<const I_FrameRGB*>(frame))
    return I_FrameRGB::FT_RGB;
  if (dynamic_cast<const I_FrameImage*>(frame))
    return I_FrameImage::FT_IMAGE;
  if (dynamic_cast<const I_FrameProfile*>(frame))
    return I_FrameProfile::FT_PROFILE;
  if (dynamic_cast<const I_FrameVector3C*>(frame))
    return I_FrameVector3C::FT_VECTOR_3C;
  if (dynamic_cast<const I_FrameVector2C*>(frame))
    return I_FrameVector2C::FT_VECTOR_2C;
  return "";
}

//! The index of the component named exactly so (vector frames would also
//! answer "U" with U0), or -1.
int ExactComponentIndex(const I_Frame& frame, const std::string& name)
{
  const int index = frame.GetComponentIndex(name);
  return index >= 0 && frame.GetComponentName(index) == name ? index : -1;
}

int RequireComponent(const I_Frame& frame, const py::handle& name)
{
  const int index = ExactComponentIndex(frame, PythonToLatin1(name));
  if (index < 0)
    throw py::key_error(py::str(name));
  return index;
}

py::list ComponentNames(const Frame& self)
{
  py::list names;
  for (unsigned i = 0; i < self.frame->GetNumberOfComponents(); ++i)
    names.append(Latin1ToPython(self.frame->GetComponentName(int(i))));
  return names;
}

py::array Component(const Frame& self, const py::handle& name)
{
  return ComponentView(self.root, *self.frame->GetComponent(RequireComponent(*self.frame, name)));
}

void AddComponent(const Frame& self, const py::handle& name, int elementType)
{
  const std::string text = PythonToLatin1(name);
  if (ExactComponentIndex(*self.frame, text) >= 0)
    throw py::value_error("component " + text + " exists already");
  self.frame->CreateComponent(text, static_cast<E_DataType>(elementType));
}

I_Scale* AxisScale(const Frame& self, const std::string& axis)
{
  if (axis == "x")
    return self.frame->GetScaleX();
  if (axis == "y")
    return self.frame->GetScaleY();
  if (axis == "z")
    return self.frame->GetScaleZ();
  if (axis == "value")
    return self.frame->GetScaleI();
  throw py::key_error("no scale " + axis + "; the scales are x, y, z and value");
}

void SetAxisScale(const Frame& self, const std::string& axis, double factor, double offset, const py::handle& unit,
                  const py::handle& description)
{
  AxisScale(self, axis); // refuses an unknown axis before a scale is made
  I_Scale* scale = MakeScale(factor, offset, unit, description);
  if (axis == "x")
    self.frame->SetScaleX(scale);
  else if (axis == "y")
    self.frame->SetScaleY(scale);
  else if (axis == "z")
    self.frame->SetScaleZ(scale);
  else
    self.frame->SetScaleI(scale);
}

I_FrameVector* Vectors(const Frame& self)
{
  return dynamic_cast<I_FrameVector*>(self.frame);
}

Frame Standalone(const RootPtr& root, I_Frame* frame)
{
  if (!frame)
    throw py::value_error("the frame could not be created");
  return Frame{root, frame, true};
}

Frame NewImage(unsigned width, unsigned height, unsigned depth, int elementType)
{
  RootPtr root = MakeRoot(CreateBuffer());
  return Standalone(root, root->buffer->AddImageFrame(width, height, depth, static_cast<E_DataType>(elementType)));
}

Frame NewRGB(unsigned width, unsigned height, unsigned depth)
{
  RootPtr root = MakeRoot(CreateBuffer());
  return Standalone(root, root->buffer->AddRGBFrame(width, height, depth));
}

Frame NewProfile(unsigned samples, unsigned profiles, int elementType)
{
  RootPtr root = MakeRoot(CreateBuffer());
  return Standalone(root, root->buffer->AddProfileFrame(samples, profiles, static_cast<unsigned>(elementType)));
}

Frame NewVector(unsigned width, unsigned height, unsigned depth, unsigned choices, int elementType,
                bool threeComponents)
{
  RootPtr root = MakeRoot(CreateBuffer());
  I_Buffer* buffer = root->buffer.get();
  const auto type = static_cast<E_DataType>(elementType);
  I_Frame* frame = threeComponents
                       ? static_cast<I_Frame*>(buffer->AddVectorFrame3C(width, height, depth, choices, type, 1))
                       : static_cast<I_Frame*>(buffer->AddVectorFrame2C(width, height, depth, choices, type, 1));
  return Standalone(root, frame);
}

Frame GetFrame(const Buffer& self, long long index)
{
  const auto count = static_cast<long long>(self.root->buffer->GetNumberOfFrames());
  if (index < 0)
    index += count;
  if (index < 0 || index >= count)
    throw py::index_error("frame index out of range");
  return Frame{self.root, self.root->buffer->GetFrame(static_cast<unsigned>(index)), false};
}

//! A standalone frame moves into the buffer (its arrays stay valid and now
//! keep this buffer alive); a frame of another buffer is copied with its data.
Frame Append(const Buffer& self, Frame& frame)
{
  I_Buffer& target = *self.root->buffer;
  if (frame.standalone)
  {
    target.MoveFrameFrom(frame.root->buffer.get(), 0, static_cast<unsigned>(target.GetNumberOfFrames()));
    frame.root->adoptedBy = self.root;
    frame.root = self.root;
    frame.standalone = false;
    return frame;
  }
  I_Frame* copy = target.AddCopyOfFrame(frame.frame, true);
  if (!copy)
    throw py::value_error("the frame could not be copied");
  return Frame{self.root, copy, false};
}
} // namespace

void BindObjects(py::module_& module)
{
  py::class_<Frame>(module, "Frame", "One frame of a buffer: components, scales, mask and attributes.")
      .def_property_readonly(
          "type", [](const Frame& self) { return FrameType(self.frame); },
          "FT_IMAGE, FT_RGB, FT_PROFILE, FT_VECTOR_2C or FT_VECTOR_3C.")
      .def_property_readonly("width", [](const Frame& self) { return self.frame->GetWidth(); })
      .def_property_readonly("height", [](const Frame& self) { return self.frame->GetHeight(); })
      .def_property_readonly("depth", [](const Frame& self) { return self.frame->GetDepth(); })
      .def_property_readonly(
          "standalone", [](const Frame& self) { return self.standalone; }, "True until a buffer takes the frame.")
      .def("component_names", &ComponentNames, "Component names in the frame's order.")
      .def("component", &Component, py::arg("name"),
           "A view (planes, height, width) into the component's memory; KeyError when absent.")
      .def("component_type", [](const Frame& self, const py::handle& name)
           { return int(self.frame->GetComponentDataType(RequireComponent(*self.frame, name))); })
      .def("add_component", &AddComponent, py::arg("name"), py::arg("element_type"))
      .def("has_mask", [](const Frame& self) { return self.frame->HasMask(); })
      .def(
          "create_mask", [](const Frame& self) { return self.frame->CreateValidMask(); },
          "Adds a mask with every element valid (nothing when there is one).")
      .def("delete_mask", [](const Frame& self) { self.frame->DeleteMask(); })
      .def(
          "scale", [](const Frame& self, const std::string& axis) { return ScaleTuple(AxisScale(self, axis)); },
          py::arg("axis"), "(factor, offset, unit, description) of the x, y, z or value scale.")
      .def("set_scale", &SetAxisScale, py::arg("axis"), py::arg("factor"), py::arg("offset"), py::arg("unit"),
           py::arg("description"))
      .def(
          "component_scale",
          [](const Frame& self, const py::handle& name)
          { return ScaleTuple(self.frame->GetComponentScale(RequireComponent(*self.frame, name))); },
          py::arg("name"))
      .def(
          "set_component_scale",
          [](const Frame& self, const py::handle& name, double factor, double offset, const py::handle& unit,
             const py::handle& description)
          {
            const int index = RequireComponent(*self.frame, name);
            self.frame->SetComponentScale(index, MakeScale(factor, offset, unit, description));
          },
          py::arg("name"), py::arg("factor"), py::arg("offset"), py::arg("unit"), py::arg("description"))
      .def_property_readonly("choices",
                             [](const Frame& self)
                             {
                               const I_FrameVector* vectors = Vectors(self);
                               return vectors ? vectors->GetNumberOfChoices() : 0u;
                             })
      .def_property(
          "grid",
          [](const Frame& self)
          {
            const I_FrameVector* vectors = Vectors(self);
            if (!vectors)
              return py::make_tuple(1, 1, 1);
            return py::make_tuple(vectors->GetGridX(), vectors->GetGridY(), vectors->GetGridZ());
          },
          [](const Frame& self, const std::tuple<unsigned, unsigned, unsigned>& grid)
          {
            I_FrameVector* vectors = Vectors(self);
            if (!vectors)
              throw py::type_error("only vector frames have a grid");
            vectors->SetGridX(std::get<0>(grid));
            vectors->SetGridY(std::get<1>(grid));
            vectors->SetGridZ(std::get<2>(grid));
          })
      .def_property_readonly("attrs",
                             [](const Frame& self) {
                               return Attributes{self.root, nullptr, self.frame};
                             });

  py::class_<Buffer>(module, "Buffer", "An ordered list of frames and a tree of global attributes.")
      .def(py::init([]() { return Buffer{MakeRoot(CreateBuffer())}; }))
      .def("__len__", [](const Buffer& self) { return self.root->buffer->GetNumberOfFrames(); })
      .def("frame", &GetFrame, py::arg("index"))
      .def("append", &Append, py::arg("frame"))
      .def_property_readonly("attrs",
                             [](const Buffer& self) {
                               return Attributes{self.root, self.root->buffer.get(), nullptr};
                             });

  module.def("new_image", &NewImage, py::arg("width"), py::arg("height"), py::arg("depth"), py::arg("element_type"));
  module.def("new_rgb", &NewRGB, py::arg("width"), py::arg("height"), py::arg("depth"));
  module.def("new_profile", &NewProfile, py::arg("samples"), py::arg("profiles"), py::arg("element_type"));
  module.def("new_vector", &NewVector, py::arg("width"), py::arg("height"), py::arg("depth"), py::arg("choices"),
             py::arg("element_type"), py::arg("three_components"));
}

} // namespace BufferPython
