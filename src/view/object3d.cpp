#include "view/object3d.h"

#include <algorithm>
#include <cmath>

#include "platform/log.h"
#include "view/gl_headers.h"

namespace vestora {
namespace {

constexpr const char* kVirtualCall = "CObject3d::BuildList : virtual function\n";

void colourOf(std::uint32_t windowsColour) {
  glColor3f(static_cast<float>(windowsColour & 0xFF) / 255.0f,
            static_cast<float>((windowsColour >> 8) & 0xFF) / 255.0f,
            static_cast<float>((windowsColour >> 16) & 0xFF) / 255.0f);
}

}  // namespace

bool CObject3d::BuildList() {
  debugOutput(kVirtualCall);
  return true;
}

bool CObject3d::Draw() {
  debugOutput(kVirtualCall);
  return true;
}

bool CVertex3d::Draw() {
  GLUquadric* quadric = gluNewQuadric();
  if (!quadric) return false;
  glColor3ub(colour[0], colour[1], colour[2]);
  glPushMatrix();
  glTranslatef(position[0], position[1], position[2]);
  gluSphere(quadric, 0.01, 8, 8);
  glPopMatrix();
  gluDeleteQuadric(quadric);
  return true;
}

ColourTable rainbowTable() {
  ColourTable table{};
  for (int i = 0; i < 256; ++i) {
    const double t = i / 255.0;
    // Blue to green over the first half, green to red over the second.
    const double r = std::clamp(2.0 * t - 1.0, 0.0, 1.0);
    const double g = 1.0 - std::abs(2.0 * t - 1.0);
    const double b = std::clamp(1.0 - 2.0 * t, 0.0, 1.0);
    table[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(std::lround(255 * r));
    table[256 + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(std::lround(255 * g));
    table[512 + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(std::lround(255 * b));
  }
  return table;
}

int colourTableIndex(double value, double lo, double hi) {
  if (!(hi > lo)) return 0;  // one value only (or none): everything at the start
  const double position = std::floor((value - lo) / (hi - lo) * 255.0);
  if (!(position > 0)) return 0;
  return position >= 255 ? 255 : static_cast<int>(position);
}

CMesh3d::CMesh3d() = default;

// The display list is the view's to delete (releaseList) while its
// context is current; here only memory is freed.
CMesh3d::~CMesh3d() = default;

CVertex3d& CMesh3d::addVertex(float x, float y, float z) {
  vertices.push_back(std::make_unique<CVertex3d>(x, y, z));
  listDirty = true;
  return *vertices.back();
}

CFace3d& CMesh3d::addFace(int v0, int v1, int v2) {
  auto at = [&](int i) {
    return i >= 0 && static_cast<std::size_t>(i) < vertices.size()
               ? vertices[static_cast<std::size_t>(i)].get()
               : nullptr;
  };
  faces.push_back(std::make_unique<CFace3d>(at(v0), at(v1), at(v2)));
  listDirty = true;
  return *faces.back();
}

void CMesh3d::releaseList() {
  if (list != 0 && glIsList(list)) glDeleteLists(list, 1);
  list = 0;
  listBuilt = false;
  listDirty = true;
}

bool CMesh3d::BuildList() {
  if (vertices.empty() || faces.empty()) return false;
  if (listBuilt && !listDirty) return false;
  if (list != 0 && glIsList(list)) glDeleteLists(list, 1);
  list = glGenLists(1);
  if (list == 0) return false;

  glNewList(list, GL_COMPILE_AND_EXECUTE);
  glPushMatrix();
  glTranslatef(translation[0], translation[1], translation[2]);
  glScalef(scale[0], scale[1], scale[2]);
  glRotatef(rotationAngle, rotationAxis[0], rotationAxis[1], rotationAxis[2]);

  std::array<std::uint8_t, 3> current = faces.front()->colour;
  glColor3ub(current[0], current[1], current[2]);
  colourChanges_ = 1;
  auto setColour = [&](const std::array<std::uint8_t, 3>& c) {
    if (c == current) return;
    current = c;
    glColor3ub(c[0], c[1], c[2]);
    ++colourChanges_;
  };
  const bool withTexcoords = texcoordSet >= 0 && !texcoords.empty();
  glEnable(GL_LIGHTING);
  glBegin(GL_TRIANGLES);
  for (std::size_t f = 0; f < faces.size(); ++f) {
    const CFace3d& face = *faces[f];
    if (!face.corners[0] || !face.corners[1] || !face.corners[2]) continue;
    if (normalBinding == 1) glNormal3f(face.normal[0], face.normal[1], face.normal[2]);
    if (colourBinding == 1) setColour(face.colour);
    for (int k = 0; k < 3; ++k) {
      const CVertex3d& v = *face.corners[static_cast<std::size_t>(k)];
      if (normalBinding == 0) glNormal3f(v.normal[0], v.normal[1], v.normal[2]);
      if (colourBinding == 0) setColour(v.colour);
      if (withTexcoords) {
        const std::size_t slot = 3 * f + static_cast<std::size_t>(k);
        if (slot < texcoordIndex.size()) {
          const int t = texcoordIndex[slot];
          if (t >= 0 && 2 * static_cast<std::size_t>(t) + 1 < texcoords.size())
            glTexCoord2f(texcoords[2 * static_cast<std::size_t>(t)],
                         texcoords[2 * static_cast<std::size_t>(t) + 1]);
        }
      }
      glVertex3f(v.position[0], v.position[1], v.position[2]);
    }
  }
  glEnd();
  glPopMatrix();
  glEndList();
  listBuilt = true;
  listDirty = false;
  return true;
}

bool CMesh3d::Draw() {
  if (!enabled) return false;
  if (!listBuilt || listDirty) BuildList();
  if (list != 0 && glIsList(list)) {
    glCallList(list);
    return true;
  }
  return false;
}

bool CMesh3d::DrawStyled(int style, bool textured, unsigned texture, std::uint32_t colour) {
  if (vertices.empty() || faces.empty()) return false;
  glEnable(GL_LIGHTING);
  glPushMatrix();
  auto corner = [&](const CFace3d& face, int k, bool withColour, bool withTexture) {
    const CVertex3d& v = *face.corners[static_cast<std::size_t>(k)];
    if (normalBinding == 0) glNormal3f(v.normal[0], v.normal[1], v.normal[2]);
    if (withColour) glColor3ub(v.colour[0], v.colour[1], v.colour[2]);
    if (withTexture)
      glTexCoord2f(face.texcoords[static_cast<std::size_t>(k)][0],
                   face.texcoords[static_cast<std::size_t>(k)][1]);
    glVertex3f(v.position[0], v.position[1], v.position[2]);
  };
  auto allFaces = [&](bool withColour, bool withTexture) {
    glBegin(GL_TRIANGLES);
    for (const auto& f : faces) {
      if (!f->corners[0] || !f->corners[1] || !f->corners[2]) continue;
      if (normalBinding == 1) glNormal3f(f->normal[0], f->normal[1], f->normal[2]);
      for (int k = 0; k < 3; ++k) corner(*f, k, withColour, withTexture);
    }
    glEnd();
  };
  if (style == 0) {
    glEnable(GL_DEPTH_TEST);
    glDepthFunc(GL_LEQUAL);
    glEnable(GL_POLYGON_OFFSET_FILL);
    glPolygonOffset(-0.5f, -0.5f);
    if (!textured) {
      colourOf(colour);
      allFaces(false, false);
    } else {
      glColor3f(1, 1, 1);
      glBindTexture(GL_TEXTURE_2D, texture);
      glEnable(GL_TEXTURE_2D);
      allFaces(false, true);
      glDisable(GL_TEXTURE_2D);
    }
    glDisable(GL_POLYGON_OFFSET_FILL);
  } else {
    glDisable(GL_POLYGON_OFFSET_FILL);
    glColor3f(0.1f, 0.1f, 0.1f);
    glPolygonMode(GL_FRONT_AND_BACK, GL_LINE);
    allFaces(true, false);
    glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
  }
  glPopMatrix();
  return true;
}

void CMesh3d::ColourByValue(const ColourTable& table) {
  if (vertices.empty()) return;
  double lo = vertices.front()->Value(), hi = lo;
  for (const auto& v : vertices) {
    lo = std::min(lo, v->Value());
    hi = std::max(hi, v->Value());
  }
  if (lo < 0) lo = 0;
  for (auto& v : vertices) {
    const auto i = static_cast<std::size_t>(colourTableIndex(v->Value(), lo, hi));
    v->colour = {table[i], table[256 + i], table[512 + i]};
  }
  listDirty = true;
}

SceneObjectList::~SceneObjectList() = default;

void SceneObjectList::BuildSceneObjects(std::vector<std::unique_ptr<CObject3d>> objects,
                                        const ColourTable& table) {
  objects_ = std::move(objects);
  for (auto it = objects_.rbegin(); it != objects_.rend(); ++it)
    if ((*it)->GetType() == 5) {
      static_cast<CMesh3d&>(**it).ColourByValue(table);
      break;
    }
  built_ = true;
  meshStyle = 0;
  meshTextured = false;
}

void SceneObjectList::DrawSceneObjects() {
  for (std::size_t i = 0; i < objects_.size(); ++i) {
    if (objects_[i]->GetType() != 5) continue;
    const std::size_t setting = std::min(i, kSettings - 1);
    static_cast<CMesh3d&>(*objects_[i])
        .DrawStyled(meshStyle, meshTextured, textures[setting], colours[setting]);
  }
}

void SceneObjectList::FreeSceneObjects() {
  for (auto& o : objects_)
    if (o->GetType() == 5) static_cast<CMesh3d&>(*o).releaseList();
  objects_.clear();
  built_ = false;
}

}  // namespace vestora
