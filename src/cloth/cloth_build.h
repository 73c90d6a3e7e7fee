// The mass-spring model of a worn garment: built when the user re-drapes the
// garment, reset with it and released by every fit.
#pragma once

#include <functional>
#include <memory>
#include <vector>

#include "cloth/cloth_system.h"
#include "cloth/garment_mesh.h"

namespace vestora {

inline constexpr float kParticleMass = 0.4f;
inline constexpr float kAnchorMass = 10000.0f;  // particles of no piece
inline constexpr float kClothTimeStep = 0.01f;
inline constexpr float kClothSpringStiffness = 10000.0f;
inline constexpr float kClothSpringDamping = 10.0f;

// The system with the forces it does not own.
struct ClothModel {
  ClothModel() = default;
  ClothModel(const ClothModel&) = delete;
  ClothModel& operator=(const ClothModel&) = delete;
  // Takes every force (its own and any added since) out of the system
  // before they go.
  ~ClothModel();

  std::unique_ptr<ClothSystem> system;
  std::vector<std::unique_ptr<SpringForce>> springs;  // one per garment edge, in edge order
  std::unique_ptr<GravityForce> gravity;
  float particleMass = kParticleMass;
  float timeStep = kClothTimeStep;
};

// Builds the model of the garment (one mass per particle, one spring per
// edge, the held particles, gravity from the garment's `gravity`) and marks
// the garment bound. `onDrape` runs just before the system is assembled (the
// program plays its drape sound there). Nothing happens without particles;
// an earlier model is released first.
void BuildClothSystem(GarmentMesh& garment, const std::function<void()>& onDrape = {});

// Releases the model; nothing when there is none.
void ReleaseClothSystem(GarmentMesh& garment);

// Returns the model to the garment's current particles (held particles
// re-created, velocities and working state cleared); nothing without one.
void ResetClothSystem(GarmentMesh& garment);

}  // namespace vestora
