#include "cloth/cloth_build.h"

namespace vestora {

namespace {

std::vector<Vec4> particleState(const GarmentMesh& garment) {
  std::vector<Vec4> state;
  state.reserve(garment.particles.size());
  for (const GarmentParticle& p : garment.particles) {
    state.push_back({p.point.x, p.point.y, p.point.z, static_cast<float>(p.side)});
  }
  return state;
}

}  // namespace

ClothModel::~ClothModel() {
  if (!system) return;
  system->ClearForces();
  system->ClearHeldParticles();
}

void BuildClothSystem(GarmentMesh& garment, const std::function<void()>& onDrape) {
  if (garment.particles.empty()) return;
  ReleaseClothSystem(garment);
  garment.hasBinding = true;
  auto model = std::make_unique<ClothModel>();
  const int n = garment.particleCount();
  model->system = std::make_unique<ClothSystem>(n);
  ClothSystem& system = *model->system;
  system.setParameter(10);
  system.setMode(ClothMode::kBlockSparse);
  const std::vector<Vec4> state = particleState(garment);
  for (int i = 0; i < n; ++i) {
    system.positions()[static_cast<std::size_t>(i)] = state[static_cast<std::size_t>(i)];
    system.SetMass(i, garment.particles[static_cast<std::size_t>(i)].piece == -1
                          ? kAnchorMass
                          : model->particleMass);
  }
  model->springs.reserve(garment.edges.size());
  for (const GarmentEdge& edge : garment.edges) {
    auto spring = std::make_unique<SpringForce>(edge.a, edge.b);
    spring->rest = edge.rest;
    spring->maxLength = 2 * edge.rest;
    spring->limitLength = true;
    spring->ks = kClothSpringStiffness;
    spring->kd = kClothSpringDamping;
    system.AddForce(spring.get());
    model->springs.push_back(std::move(spring));
  }
  system.SetHeldParticles(garment.fixedParticles);
  if (onDrape) onDrape();
  system.Initialize();
  model->gravity = std::make_unique<GravityForce>(
      Vec4{garment.gravity[0], garment.gravity[1], garment.gravity[2], 0});
  system.AddForce(model->gravity.get());
  garment.cloth = std::move(model);
}

void ReleaseClothSystem(GarmentMesh& garment) {
  garment.cloth.reset();
}

void ResetClothSystem(GarmentMesh& garment) {
  if (!garment.cloth || !garment.cloth->system) return;
  garment.cloth->system->Reset(particleState(garment), garment.fixedParticles);
}

}  // namespace vestora
