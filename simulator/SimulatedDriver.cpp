// placeholder until the simulated interface library lands
extern "C" __attribute__ ((visibility ("default"))) int KSIM_Placeholder() { return 0; }
