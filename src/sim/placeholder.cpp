// The simulated stimulator grows here.
