#!/usr/bin/env python3
"""Builds the aerodynamic coefficient grids of QuillonFM and writes them as C++.

    python3 tools/gen_aero_data.py               write src/aero/aero_tables.cpp
    python3 tools/gen_aero_data.py --check       exit 1 if that file is stale
    python3 tools/gen_aero_data.py --plots [DIR] also write the SVG plots
                                                 (default docs/aero-plots)

What we have of the aircraft's aerodynamics is a set of anchor rows: for each
two-dimensional table one or two cuts through the grid (along angle of attack
at zero sideslip, along sideslip at zero angle of attack, and for the clean
lateral tables along angle of attack at 10 degrees of sideslip), plus the
one-dimensional tables in full.  This script fills every grid from its
anchor rows (see docs/aero-data.md for the reasoning), rounds every value to
six significant digits and checks that each anchor value comes out exactly as
written.

Angles are in degrees throughout.  Grids are stored angle of attack fastest:
value(ia, ib) = grid[ia + Na * ib], the order the runtime's Grid_Table reads.

Only the Python standard library is used, and the output is byte-identical on
every run.
"""

import argparse
import math
import os
import sys

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
CPP_PATH = os.path.join(ROOT, "src", "aero", "aero_tables.cpp")
DEFAULT_PLOT_DIR = os.path.join(ROOT, "docs", "aero-plots")

# --------------------------------------------------------------------------
# Breakpoints, degrees.  Angle-of-attack lists first, then sideslip lists.

AXES = {
    "ALPHA_15": (-20.0, -15.0, -10.0, -5.0, 0.0, 5.0, 10.0, 15.0, 20.0, 25.0,
                 30.0, 40.0, 50.0, 70.0, 90.0),
    "ALPHA_20": (-20.0, -15.0, -10.0, -5.0, 0.0, 5.0, 10.0, 15.0, 20.0, 25.0,
                 30.0, 35.0, 40.0, 45.0, 50.0, 55.0, 60.0, 70.0, 80.0, 90.0),
    "ALPHA_14": (-20.0, -15.0, -10.0, -5.0, 0.0, 5.0, 10.0, 15.0, 20.0, 25.0,
                 30.0, 35.0, 40.0, 45.0),
    "BETA_7": (-30.0, -10.0, -4.0, 0.0, 4.0, 10.0, 30.0),
    "BETA_11": (-30.0, -20.0, -10.0, -4.0, -2.0, 0.0, 2.0, 4.0, 10.0, 20.0,
                30.0),
    "BETA_19": (-30.0, -25.0, -20.0, -15.0, -10.0, -8.0, -6.0, -4.0, -2.0, 0.0,
                2.0, 4.0, 6.0, 8.0, 10.0, 15.0, 20.0, 25.0, 30.0),
}
AXIS_ORDER = ("ALPHA_15", "ALPHA_20", "ALPHA_14", "BETA_7", "BETA_11", "BETA_19")

# --------------------------------------------------------------------------
# The two-dimensional tables: (name, alpha axis, beta axis, family, reference).
# family says how the grid is filled; reference is the table the runtime
# subtracts from a control table to form the control increment (for the
# rudder and aileron tables the clean table, for the slat aileron tables the
# slat table).

LONGITUDINAL = "longitudinal"
CLEAN_LATERAL = "clean lateral"
SLAT_LATERAL = "slat lateral"
CONTROL = "control"

TABLES_2D = (
    ("CX_basic", "ALPHA_15", "BETA_7", LONGITUDINAL, None),
    ("CZ_basic", "ALPHA_15", "BETA_7", LONGITUDINAL, None),
    ("Cm_basic", "ALPHA_20", "BETA_11", LONGITUDINAL, None),
    ("CY_basic", "ALPHA_20", "BETA_11", CLEAN_LATERAL, None),
    ("Cn_basic", "ALPHA_20", "BETA_11", CLEAN_LATERAL, None),
    ("Cl_basic", "ALPHA_15", "BETA_7", CLEAN_LATERAL, None),
    ("CX_slat", "ALPHA_14", "BETA_19", LONGITUDINAL, None),
    ("CZ_slat", "ALPHA_14", "BETA_19", LONGITUDINAL, None),
    ("Cm_slat", "ALPHA_14", "BETA_19", LONGITUDINAL, None),
    ("CY_slat", "ALPHA_14", "BETA_19", SLAT_LATERAL, "CY_basic"),
    ("Cn_slat", "ALPHA_14", "BETA_19", SLAT_LATERAL, "Cn_basic"),
    ("Cl_slat", "ALPHA_14", "BETA_19", SLAT_LATERAL, "Cl_basic"),
    ("CY_rudder", "ALPHA_20", "BETA_19", CONTROL, "CY_basic"),
    ("Cn_rudder", "ALPHA_20", "BETA_19", CONTROL, "Cn_basic"),
    ("Cl_rudder", "ALPHA_20", "BETA_19", CONTROL, "Cl_basic"),
    ("CY_aileron", "ALPHA_20", "BETA_19", CONTROL, "CY_basic"),
    ("Cn_aileron", "ALPHA_20", "BETA_19", CONTROL, "Cn_basic"),
    ("Cl_aileron", "ALPHA_20", "BETA_19", CONTROL, "Cl_basic"),
    ("CY_aileron_slat", "ALPHA_14", "BETA_19", CONTROL, "CY_slat"),
    ("Cn_aileron_slat", "ALPHA_14", "BETA_19", CONTROL, "Cn_slat"),
    ("Cl_aileron_slat", "ALPHA_14", "BETA_19", CONTROL, "Cl_slat"),
)
# For a slat lateral table the "reference" column names the clean table whose
# 10-degree-sideslip row gives the shape along angle of attack.

# --------------------------------------------------------------------------
# Anchor rows.

# Along angle of attack at zero sideslip (longitudinal and control tables).
ALPHA_ROWS_BETA_0 = {
    "CX_basic": (-0.1233, -0.1228, -0.1232, -0.1004, -0.021, -0.056, -0.005,
                 0.1532, 0.1573, 0.159, 0.1636, 0.1882, 0.1571, 0.1275, 0.0964),
    "CZ_basic": (1.116, 0.959, 0.692, 0.287, -0.021, -0.35, -0.45, -0.912,
                 -1.218, -1.658, -2.008, -2.328, -2.326, -2.134, -2.14),
    "Cm_basic": (0.0127, -0.0755, -0.1025, -0.0744, -0.0598, -0.0498, -0.0437,
                 -0.0407, -0.0342, -0.0507, -0.0459, -0.0605, -0.0835, -0.0923,
                 -0.0826, -0.0738, -0.1414, -0.3216, -0.4678, -0.6184),
    "CX_slat": (-0.0181, -0.0193, -0.0224, -0.0196, -0.0202, -0.0033, 0.0099,
                0.0224, 0.0221, 0.0278, 0.0301, 0.0305, 0.0328, 0.0309),
    "CZ_slat": (1.256, 1.035, 0.725, 0.248, -0.1, -0.428, -0.774, -1.139,
                -1.355, -1.65, -1.883, -2.077, -2.204, -2.208),
    "Cm_slat": (-0.0503, -0.1012, -0.0647, -0.0387, -0.0267, -0.0128, -0.0016,
                0.0323, -0.0161, -0.0455, -0.0871, -0.1151, -0.1206, -0.0979),
    "CY_rudder": (0.0945, 0.094, 0.0931, 0.0827, 0.0821, 0.0849, 0.0796,
                  0.0849, 0.0783, 0.0879, 0.093, 0.0593, -0.0096, 0.0143,
                  0.0065, -0.0183, -0.0357, -0.0228, 0.021, 0.0064),
    "Cn_rudder": (-0.0468, -0.0485, -0.0482, -0.0447, -0.0445, -0.0444,
                  -0.0441, -0.0455, -0.0444, -0.048, -0.0496, -0.0518, -0.0474,
                  -0.0237, -0.0176, -0.0213, -0.0185, -0.0054, -0.0072,
                  -0.0015),
    "Cl_rudder": (0.0216, 0.0192, 0.0187, 0.0153, 0.0145, 0.0138, 0.0135,
                  0.0134, 0.0139, 0.0145, 0.0128, 0.0012, 0.003, 0.0013,
                  0.0033, 0.0014, -0.0012, -0.0005, -0.0005, 0.0008),
    "CY_aileron": (0.0281, 0.0197, 0.0222, 0.0164, 0.0197, 0.0214, 0.0229,
                   0.0237, 0.0028, 0.0026, 0.0002, -0.0225, -0.084, -0.0494,
                   -0.0598, -0.0849, -0.092, -0.0497, -0.0046, -0.0048),
    "Cn_aileron": (-0.0076, -0.0099, -0.0097, -0.0109, -0.0114, -0.0099,
                   -0.009, -0.0075, 0.0032, 0.0048, 0.0063, 0.003, -0.0102,
                   0.0022, 0.0035, -0.0006, 0.0009, 0.0115, 0.0127, 0.0134),
    "Cl_aileron": (-0.0211, -0.0311, -0.0325, -0.0402, -0.0482, -0.0517,
                   -0.0501, -0.0492, -0.0416, -0.0374, -0.0306, -0.0358,
                   -0.0195, -0.0116, -0.0069, -0.01, -0.0119, -0.0088, -0.0023,
                   0.0012),
    "CY_aileron_slat": (0.0247, 0.0268, 0.0305, 0.0202, 0.0209, 0.019, 0.0164,
                        0.0151, 0.0162, 0.001, -0.0032, -0.0215, -0.0807,
                        -0.0611),
    "Cn_aileron_slat": (-0.0092, -0.0113, -0.0115, -0.0114, -0.01, -0.0077,
                        -0.0056, -0.0037, -0.0054, 0.001, 0.0068, -0.0002,
                        -0.0142, -0.0002),
    "Cl_aileron_slat": (-0.0219, -0.0307, -0.0399, -0.0524, -0.0512, -0.0527,
                        -0.0432, -0.0447, -0.0229, -0.0261, -0.0238, -0.0263,
                        -0.008, -0.0059),
}

# Along sideslip at zero angle of attack (every lateral-directional table).
BETA_ROWS_ALPHA_0 = {
    "CY_basic": (0.618, 0.417, 0.1976, 0.0688, 0.0333, -0.0038, -0.0432,
                 -0.0802, -0.2172, -0.4353, -0.6438),
    "Cn_basic": (-0.1052, -0.0743, -0.0407, -0.0132, -0.006, 0.0006, 0.0067,
                 0.0141, 0.042, 0.0752, 0.1061),
    "Cl_basic": (0.0156, 0.0184, 0.007, 0.0, -0.0068, -0.0183, -0.0155),
    "CY_slat": (0.629, 0.531, 0.417, 0.305, 0.2021, 0.1579, 0.1113, 0.0726,
                0.0371, -0.0003, -0.0377, -0.0779, -0.1226, -0.1715, -0.2161,
                -0.3199, -0.4311, -0.5446, -0.6429),
    "Cn_slat": (-0.1061, -0.093, -0.0755, -0.0594, -0.0421, -0.032, -0.0223,
                -0.0136, -0.0063, -0.0001, 0.0065, 0.0142, 0.0233, 0.0339,
                0.0428, 0.0594, 0.0758, 0.0937, 0.1065),
    "Cl_slat": (0.0236, 0.023, 0.0222, 0.0202, 0.0166, 0.0132, 0.0096, 0.0058,
                0.0027, -0.0002, -0.0029, -0.006, -0.0096, -0.0136, -0.0166,
                -0.0202, -0.0222, -0.023, -0.0236),
    "CY_rudder": (0.635, 0.566, 0.496, 0.38, 0.2698, 0.2407, 0.1979, 0.1572,
                  0.1202, 0.0821, 0.0492, 0.0147, -0.0297, -0.0788, -0.1309,
                  -0.2407, -0.3564, -0.425, -0.495),
    "Cn_rudder": (-0.157, -0.1375, -0.1175, -0.0975, -0.0785, -0.0777,
                  -0.0687, -0.0604, -0.0521, -0.0445, -0.0383, -0.0317,
                  -0.0224, -0.011, 0.0006, 0.0196, 0.0395, 0.059, 0.079),
    "Cl_rudder": (0.0291, 0.0328, 0.0338, 0.0329, 0.0293, 0.0298, 0.0261,
                  0.022, 0.0181, 0.0145, 0.0111, 0.0078, 0.0035, -0.001,
                  -0.0054, -0.0087, -0.0093, -0.008, -0.0044),
    "CY_aileron": (0.659, 0.563, 0.449, 0.33, 0.213, 0.1799, 0.139, 0.0963,
                   0.0573, 0.0197, -0.0166, -0.0528, -0.0957, -0.135, -0.1821,
                   -0.3, -0.419, -0.5326, -0.6294),
    "Cn_aileron": (-0.1228, -0.1088, -0.0909, -0.0715, -0.0492, -0.0442,
                   -0.0371, -0.0271, -0.0187, -0.0114, -0.005, 0.0021, 0.0098,
                   0.0181, 0.0274, 0.0497, 0.0691, 0.087, 0.101),
    "Cl_aileron": (-0.0404, -0.0372, -0.0327, -0.0302, -0.0323, -0.0342,
                   -0.0373, -0.0414, -0.0451, -0.0482, -0.051, -0.0536, -0.057,
                   -0.0595, -0.0624, -0.0645, -0.062, -0.0575, -0.0543),
    "CY_aileron_slat": (0.666, 0.575, 0.454, 0.337, 0.2128, 0.1776, 0.1396,
                        0.0957, 0.0565, 0.0209, -0.0179, -0.0552, -0.0964,
                        -0.1347, -0.1802, -0.3049, -0.4233, -0.5437, -0.6344),
    "Cn_aileron_slat": (-0.1226, -0.1107, -0.091, -0.0723, -0.0483, -0.0429,
                        -0.036, -0.0257, -0.0171, -0.01, -0.0028, 0.0041,
                        0.012, 0.0196, 0.0291, 0.0532, 0.0719, 0.0914, 0.1033),
    "Cl_aileron_slat": (-0.0295, -0.0292, -0.0307, -0.0313, -0.0354, -0.0387,
                        -0.041, -0.045, -0.0486, -0.0512, -0.0541, -0.0568,
                        -0.0599, -0.0623, -0.0651, -0.0696, -0.0699, -0.0707,
                        -0.0704),
}

# Along angle of attack at 10 degrees of sideslip (clean lateral tables).
ALPHA_ROWS_BETA_10 = {
    "CY_basic": (-0.133, -0.1277, -0.148, -0.206, -0.2172, -0.2247, -0.2226,
                 -0.2041, -0.1882, -0.1807, -0.1494, -0.1314, -0.192, -0.2074,
                 -0.1694, -0.1773, -0.1665, -0.1148, -0.0992, -0.1056),
    "Cn_basic": (0.0154, 0.0237, 0.0296, 0.04, 0.042, 0.0427, 0.0427, 0.0395,
                 0.0327, 0.0261, -0.0021, -0.0364, -0.0586, -0.0769, -0.0643,
                 -0.0431, -0.0192, 0.002, -0.0086, -0.0039),
    "Cl_basic": (-0.0156, -0.01, -0.0099, -0.0187, -0.0183, -0.0215, 0.0124,
                 0.0131, 0.0538, 0.0805, 0.1246, 0.1177, 0.1215, 0.1233,
                 0.1164),
}

# --------------------------------------------------------------------------
# One-dimensional tables, complete.  Damping derivatives are per unit of
# normalised rate (q c/(2V), p b/(2V), r b/(2V)); Cn_beta and Cl_beta per
# degree of sideslip; Cm_extra is a plain pitching-moment coefficient.

TABLES_1D = (
    ("CXq", "ALPHA_20", (0.953, 0.953, 0.953, 1.55, 1.9, 2.46, 2.92, 3.3, 2.76,
                         2.05, 1.5, 1.49, 1.83, 1.21, 1.33, 1.61, 0.91, 3.43,
                         0.617, 0.273)),
    ("CZq", "ALPHA_20", (-23.9, -23.9, -23.9, -29.5, -29.5, -30.5, -31.3,
                         -30.1, -27.7, -28.2, -29.0, -29.8, -38.3, -35.3,
                         -32.3, -27.3, -25.2, -27.3, -9.35, -2.16)),
    ("Cmq", "ALPHA_20", (-6.84, -6.84, -6.84, -3.42, -5.48, -5.45, -6.02, -6.7,
                         -5.69, -6.63, -7.97, -9.38, -11.2, -13.3, -13.4, -7.1,
                         -7.73, 6.82, -5.6, -4.04)),
    ("CYp", "ALPHA_20", (0.0333, 0.0333, 0.0333, -0.177, 0.0055, 0.0679, 0.31,
                         0.234, 0.344, 0.362, 0.611, 0.529, 0.298, -2.27,
                         0.971, 1.02, 2.9, 0.451, -0.294, -0.261)),
    ("CYr", "ALPHA_20", (1.44, 1.44, 1.44, 1.05, 0.981, 0.939, 0.999, 0.981,
                         0.819, 0.483, 0.59, 1.21, -0.493, -1.04, -1.21, -1.58,
                         -1.37, -0.0259, -0.127, 0.193)),
    ("Cnr", "ALPHA_20", (-0.517, -0.517, -0.517, -6.8793) + (0.0,) * 16),
    ("Cnp", "ALPHA_20", (-0.0006, -0.0006, -0.0006, 0.0424, -0.0075, -0.0214,
                         -0.0744, -0.0997, -0.0726, -0.0621, 0.0184, 0.158,
                         -0.0671, -0.304, 0.437, 0.159, 0.525, -0.111, 0.0895,
                         0.0559)),
    ("Clp", "ALPHA_20", (-0.366, -0.366, -0.366, -0.377, -0.345, -0.434,
                         -0.408, -0.388, -0.329, -0.294, -0.317, -0.901,
                         -0.0568, 0.594, -0.0218, -0.216, -0.25, -0.213,
                         -0.233, -0.203)),
    ("Clr", "ALPHA_20", (-0.155, -0.155, -0.155, -0.201, -0.0024, 0.088, 0.205,
                         0.22, 0.319, 0.437, 0.68, 0.1, 0.447, -0.33, -0.068,
                         0.118, 0.0802, 0.0529, 0.0868, -0.0183)),
    ("CXq_slat", "ALPHA_14", (-1.22, -1.22, -1.22, -1.66, -1.62, -1.58, -1.96,
                              -2.51, -2.04, -1.64, -0.824, -0.817, -1.1,
                              -0.55)),
    ("CZq_slat", "ALPHA_14", (15.1, 15.1, 15.1, 3.7, 0.6, -1.3, 0.3, -3.8,
                              -4.6, -0.2, -2.7, -3.5, -1.3, -0.65)),
    ("Cmq_slat", "ALPHA_14", (-0.367, -0.367, -0.367, 2.88, 0.25, 0.27, -0.21,
                              0.36, -1.26, -2.51, -1.66, -1.72, -1.2, -0.6)),
    ("CYp_slat", "ALPHA_14", (-0.141, -0.141, -0.141, 0.069, -0.197, 0.0601,
                              -0.121, -0.052, 0.075, 0.106, -0.077, -0.642,
                              -0.255, -0.128)),
    ("CYr_slat", "ALPHA_14", (-0.558, -0.558, -0.558, -0.198, -0.107, 0.027,
                              -0.085, -0.046, 0.331, 0.215, 0.43, -0.06,
                              -0.374, -0.187)),
    ("Cnr_slat", "ALPHA_14", (0.137, 0.137, 0.137, 0.098, 0.037, 0.016, 0.007,
                              0.014, -0.103, -0.098, -0.31, -0.437, 0.167,
                              0.084)),
    ("Cnp_slat", "ALPHA_14", (0.0615, 0.0615, 0.0615, 0.0091, 0.061, 0.0129,
                              0.0439, 0.0512, -0.0294, 0.0017, 0.0584, 0.211,
                              0.392, 0.196)),
    ("Clp_slat", "ALPHA_14", (0.006, 0.006, 0.006, 0.018, -0.1, 0.02, 0.058,
                              0.087, 0.027, -0.056, -0.082, 0.362, 0.194,
                              0.097)),
    ("Clr_slat", "ALPHA_14", (0.029, 0.029, 0.029, 0.175, 0.0665, 0.036, 0.007,
                              0.066, 0.201, 0.006, -0.068, -0.537, -0.787,
                              -0.394)),
    # Zero except -0.0008 at 25 degrees and 0.001 at 30.
    ("Cn_beta", "ALPHA_20", (0.0,) * 9 + (-0.0008, 0.001) + (0.0,) * 9),
    # Zero except 0.0007, 0.0005, 0.0003 at 15, 20, 25 degrees.
    ("Cl_beta", "ALPHA_20", (0.0,) * 7 + (0.0007, 0.0005, 0.0003) + (0.0,) * 10),
    # 0.019 from -20 through 5 degrees, 0.06 from 30 through 90.
    ("Cm_extra", "ALPHA_20", (0.019,) * 6 + (0.02, 0.04, 0.04, 0.05)
     + (0.06,) * 10),
)

# --------------------------------------------------------------------------
# Sideslip dependence of the longitudinal tables.
#
# By the independence (crossflow) principle the flow in the aircraft's plane
# of symmetry sees the dynamic pressure q cos^2(beta), so the longitudinal
# forces and the pitching moment would fall by sin^2(beta): 25 per cent at
# 30 degrees.  That is an upper bound: the forebody and the windward wing
# keep lifting in sideslip.  With no sideslip data for these tables we take a
# fifth of it, 5 per cent at 30 degrees, 0.6 per cent at 10 and 0.02 per
# cent at 2, so trimmed flight near zero sideslip sees the anchor rows
# unchanged.
CROSSFLOW_LOSS_FRACTION = 0.2
# Extra axial drag of the crossflow separating from the rear fuselage and
# canopy, per unit sin^2(beta): 0.01 at 30 degrees, half the clean zero-lift
# axial force.  Together with the loss above it makes CX fall (more drag) with
# |beta| at every angle of attack, as long as the beta = 0 value of CX is
# above -0.2 (it is above -0.13 in both tables).
SIDESLIP_AXIAL_DRAG = 0.04

SIGNIFICANT_DIGITS = 6


class Table:
    """One grid: its breakpoint lists (by name) and its values, alpha fastest."""

    def __init__(self, name, alpha_axis, beta_axis, values):
        self.name = name
        self.alpha_axis = alpha_axis
        self.beta_axis = beta_axis  # None for a one-dimensional table
        self.values = values

    @property
    def alphas(self):
        return AXES[self.alpha_axis]

    @property
    def betas(self):
        return AXES[self.beta_axis] if self.beta_axis else (0.0,)

    def at(self, ia, ib=0):
        return self.values[ia + len(self.alphas) * ib]

    def lookup(self, alpha, beta=0.0):
        """Bilinear lookup with inputs clamped to the axes, as at runtime."""
        return lookup_grid(self.alphas, self.betas, self.values, alpha, beta)


def lookup_grid(alphas, betas, values, alpha, beta):
    """Runtime reading of a grid: clamp each input to its axis, bracket it
    (an exact breakpoint hit gives a one-point bracket), blend alpha first."""
    ia0, ia1, ta = _bracket(alphas, alpha)
    ib0, ib1, tb = _bracket(betas, beta)
    na = len(alphas)
    lower = _blend(ta, values[ia1 + na * ib0], values[ia0 + na * ib0])
    upper = _blend(ta, values[ia1 + na * ib1], values[ia0 + na * ib1])
    return _blend(tb, upper, lower)


def _bracket(axis, x):
    """Lower index, upper index and weight of the upper point, x clamped."""
    x = min(max(x, axis[0]), axis[-1])
    for i in range(len(axis) - 1):
        if x == axis[i]:
            return i, i, 0.0
        if x == axis[i + 1]:
            return i + 1, i + 1, 0.0
        if axis[i] < x < axis[i + 1]:
            return i, i + 1, (x - axis[i]) / (axis[i + 1] - axis[i])
    return 0, 0, 0.0  # a one-point axis (the sideslip of a 1-D table)


def _blend(t, hi, lo):
    # Same form as the runtime's reduction: t * upper + (1 - t) * lower.
    return t * hi + (1.0 - t) * lo


def round_sig(x):
    """x rounded to six significant digits; never a negative zero."""
    return float("%.*g" % (SIGNIFICANT_DIGITS, x)) + 0.0


def interp_row(axis, row, x):
    """Linear interpolation of a row given at the breakpoints of axis."""
    return lookup_grid(axis, (0.0,), row, x, 0.0)


def sin2(beta_deg):
    s = math.sin(math.radians(abs(beta_deg)))
    return s * s


# --------------------------------------------------------------------------
# The four constructions.

def longitudinal_values(name, alphas, betas):
    """Anchor row at beta = 0, scaled by the crossflow loss; CX also gains
    the sideslip drag.  Even in beta by construction (only sin^2 appears)."""
    row = ALPHA_ROWS_BETA_0[name]
    axial = name.startswith("CX")
    values = []
    for beta in betas:
        s2 = sin2(beta)
        keep = 1.0 - CROSSFLOW_LOSS_FRACTION * s2
        extra = -SIDESLIP_AXIAL_DRAG * s2 if axial else 0.0
        values.extend(v * keep + extra for v in row)
    return values


def limited_product(scale, along_alpha, along_beta):
    """Separable product scale * A * B of two cuts normalised to meet at 1,
    except where both exceed 1 in magnitude: there the excesses add instead
    of multiplying.

        value = scale * (A * b + a * (B - b)),  a, b = A, B limited to [-1, 1]

    This is A * B wherever |A| <= 1 or |B| <= 1, continuous, odd in B, and
    monotone in each cut.  Where both exceed 1 the plain product would give
    magnitudes far beyond either row (the clean Cn at 45 degrees and 30
    degrees of sideslip would reach 0.19 against 0.11 in any row)."""
    a = min(1.0, max(-1.0, along_alpha))
    b = min(1.0, max(-1.0, along_beta))
    return scale * (along_alpha * b + a * (along_beta - b))


def clean_lateral_values(name, alphas, betas):
    """The alpha = 0 row along beta combined with the beta = 10 row along
    alpha, both divided by their common value at (0, 10).  Within 10 degrees
    of sideslip every beta cut is the alpha = 0 cut scaled, so the tables stay
    odd in beta with the relative offset the alpha = 0 row has."""
    along_beta = BETA_ROWS_ALPHA_0[name]
    along_alpha = ALPHA_ROWS_BETA_10[name]
    common = along_alpha[alphas.index(0.0)]
    if along_beta[betas.index(10.0)] != common:
        raise SystemExit("%s: anchor rows disagree at (0, 10)" % name)
    return [limited_product(common, a / common, b / common)
            for b in along_beta for a in along_alpha]


def slat_lateral_values(name, alphas, betas, clean_name):
    """The alpha = 0 row along beta, shaped along alpha like the clean table's
    beta = 10 row (read at the slat breakpoints), combined as the clean table
    is, with the clean table's value at (0, 10) as the common scale."""
    along_beta = BETA_ROWS_ALPHA_0[name]
    clean_axis = AXES[_axes_of(clean_name)[0]]
    clean_row = ALPHA_ROWS_BETA_10[clean_name]
    common = clean_row[clean_axis.index(0.0)]
    shape = [interp_row(clean_axis, clean_row, a) / common for a in alphas]
    return [limited_product(common, s, b / common)
            for b in along_beta for s in shape]


def control_values(name, alphas, betas, reference):
    """Reference table (read bilinearly at this grid's breakpoints, as the
    runtime reads it) plus the control increment.

    The increment is known along alpha at beta = 0 (inc_a) and along beta at
    alpha = 0 (inc_b); they meet at inc00.  Away from the rows:

        inc(alpha, beta) = inc_a(alpha) + g(alpha) * (inc_b(beta) - inc00),
        g(alpha) = inc_a(alpha) / inc00, limited to [-1, 1].

    Where the surface is weaker than at alpha = 0 (|g| <= 1) this is the
    separable product inc_a * inc_b / inc00: the sideslip effect shrinks with
    the surface's effect and never changes its sign.  Where the surface is
    stronger, the sideslip variation is carried over at its alpha = 0 size
    instead of being magnified with it, which would give increments up to
    twice anything the rows show (the aileron's side force grows fourfold at
    high alpha).  inc_b keeps one sign along every row, so the increment
    keeps the sign of inc_a(alpha) at every sideslip.
    """
    ia0 = alphas.index(0.0)
    ib0 = betas.index(0.0)
    ref = [[reference.lookup(a, b) for a in alphas] for b in betas]
    inc_a = [v - r for v, r in zip(ALPHA_ROWS_BETA_0[name], ref[ib0])]
    inc_b = [v - ref[j][ia0] for j, v in enumerate(BETA_ROWS_ALPHA_0[name])]
    inc00 = inc_a[ia0]
    if inc_b[ib0] != inc00 or inc00 == 0.0:
        raise SystemExit("%s: anchor rows disagree at (0, 0)" % name)
    if any(v * inc00 <= 0.0 for v in inc_b):
        raise SystemExit("%s: sideslip increment changes sign" % name)
    values = []
    for j in range(len(betas)):
        for i in range(len(alphas)):
            g = min(1.0, max(-1.0, inc_a[i] / inc00))
            values.append(ref[j][i] + inc_a[i] + g * (inc_b[j] - inc00))
    return values


def _axes_of(name):
    for entry in TABLES_2D:
        if entry[0] == name:
            return entry[1], entry[2]
    raise KeyError(name)


# --------------------------------------------------------------------------

def anchor_points(table):
    """(ia, ib, value) of every anchor value that falls on this table."""
    alphas, betas = table.alphas, table.betas
    points = []
    rows = ((ALPHA_ROWS_BETA_0, 0.0, True), (ALPHA_ROWS_BETA_10, 10.0, True),
            (BETA_ROWS_ALPHA_0, 0.0, False))
    for rowset, fixed, along_alpha in rows:
        row = rowset.get(table.name)
        if row is None:
            continue
        if along_alpha:
            ib = betas.index(fixed)
            points.extend((i, ib, v) for i, v in enumerate(row))
        else:
            ia = alphas.index(fixed)
            points.extend((ia, j, v) for j, v in enumerate(row))
    return points


def _check_inputs():
    for name, axis in AXES.items():
        if any(b <= a for a, b in zip(axis, axis[1:])):
            raise SystemExit("%s is not strictly ascending" % name)
    # Every control grid refines its reference grid, so the runtime's
    # bilinear reading of the reference is itself bilinear on each control
    # cell and the increment it forms is exactly the bilinear interpolant of
    # the increments stored at the breakpoints.
    for name, a_axis, b_axis, family, ref in TABLES_2D:
        if family == CONTROL:
            ra, rb = _axes_of(ref)
            if not (set(AXES[ra]) <= set(AXES[a_axis])
                    and set(AXES[rb]) <= set(AXES[b_axis])):
                raise SystemExit("%s does not refine %s" % (name, ref))
    for name, a_axis, b_axis, family, ref in TABLES_2D:
        for rowset, axis in ((ALPHA_ROWS_BETA_0, a_axis),
                             (ALPHA_ROWS_BETA_10, a_axis),
                             (BETA_ROWS_ALPHA_0, b_axis)):
            if name in rowset and len(rowset[name]) != len(AXES[axis]):
                raise SystemExit("%s: anchor row length" % name)
    for name, axis, values in TABLES_1D:
        if len(values) != len(AXES[axis]):
            raise SystemExit("%s: length" % name)


def build_tables():
    """All 42 grids, 2-D tables first, rounded; raises SystemExit if an
    anchor value is not reproduced exactly."""
    _check_inputs()
    tables = {}
    for name, a_axis, b_axis, family, ref in TABLES_2D:
        alphas, betas = AXES[a_axis], AXES[b_axis]
        if family == LONGITUDINAL:
            raw = longitudinal_values(name, alphas, betas)
        elif family == CLEAN_LATERAL:
            raw = clean_lateral_values(name, alphas, betas)
        elif family == SLAT_LATERAL:
            raw = slat_lateral_values(name, alphas, betas, ref)
        else:
            # The reference is already rounded: it is the grid the runtime
            # will subtract.
            raw = control_values(name, alphas, betas, tables[ref])
        table = Table(name, a_axis, b_axis, [round_sig(v) for v in raw])
        for ia, ib, v in anchor_points(table):
            if table.at(ia, ib) != v:
                raise SystemExit("%s: anchor value %r at (%g, %g) came out %r"
                                 % (name, v, alphas[ia], betas[ib],
                                    table.at(ia, ib)))
        tables[name] = table
    for name, axis, values in TABLES_1D:
        rounded = [round_sig(v) for v in values]
        if rounded != list(values):
            raise SystemExit("%s: more than six significant digits" % name)
        tables[name] = Table(name, axis, None, rounded)
    return tables


def increment(control, reference, alpha, beta):
    """Control increment as the runtime forms it: table minus reference."""
    return control.lookup(alpha, beta) - reference.lookup(alpha, beta)


# --------------------------------------------------------------------------
# C++ output.

VALUES_PER_LINE = 8


def _literal(v):
    # Python's shortest round-trip form ("0.0821", "-3e-05", "20.0") is also
    # a valid C++ double literal that converts back to the same double.
    return repr(v)


def _array(name, values, groups, group_label):
    lines = ["const double %s[%d] = {" % (name, len(values))]
    for label, chunk in zip(groups, _split(values, len(values) // len(groups))):
        if group_label:
            lines.append("    // %s" % label)
        for part in _split(chunk, VALUES_PER_LINE):
            lines.append("    " + ", ".join(_literal(v) for v in part) + ",")
    lines.append("};")
    return lines


def _split(seq, n):
    return [seq[i:i + n] for i in range(0, len(seq), n)]


def render_cpp(tables):
    out = [
        "// Aerodynamic coefficient grids of QuillonFM.",
        "//",
        "// GENERATED by tools/gen_aero_data.py - do not edit by hand.",
        "// Regenerate with `python3 tools/gen_aero_data.py`; CI runs it with",
        "// --check.  docs/aero-data.md explains how each grid is built.",
        "//",
        "// Breakpoints in degrees.  Two-dimensional grids are stored angle of",
        "// attack fastest: value(ia, ib) = grid[ia + Na * ib].",
        "",
        '#include "aero_tables.h"',
        "",
        "namespace aero_tables {",
        "",
    ]
    for axis in AXIS_ORDER:
        out.extend(_array(axis, list(AXES[axis]), [None], False))
        out.append("")
    for name, a_axis, b_axis, family, ref in TABLES_2D:
        table = tables[name]
        what = {LONGITUDINAL: "longitudinal",
                CLEAN_LATERAL: "clean lateral-directional",
                SLAT_LATERAL: "lateral-directional, slats extended",
                CONTROL: "total at full deflection, reference %s" % ref}
        out.append("// %s: %s x %s, %s." % (name, a_axis, b_axis, what[family]))
        labels = ["beta = %g" % b for b in AXES[b_axis]]
        out.extend(_array(name, table.values, labels, True))
        out.append("")
    for name, axis, _ in TABLES_1D:
        out.append("// %s: %s." % (name, axis))
        out.extend(_array(name, tables[name].values, [None], False))
        out.append("")
    out.append("}  // namespace aero_tables")
    return "\n".join(out) + "\n"


# --------------------------------------------------------------------------
# SVG plots.

PALETTE = ("#1f77b4", "#ff7f0e", "#2ca02c", "#d62728", "#9467bd", "#8c564b",
           "#e377c2", "#17becf")
PLOT_BETAS = (-30.0, -10.0, -4.0, 0.0, 4.0, 10.0, 30.0)
PLOT_BETAS_EVEN = (0.0, 4.0, 10.0, 30.0)
PLOT_ALPHAS = (-10.0, 0.0, 10.0, 20.0, 30.0, 40.0)
PANEL_W, PANEL_H = 480, 330
MARGIN_L, MARGIN_R, MARGIN_T, MARGIN_B = 62, 112, 28, 42


def _f(x):
    return "%.2f" % x


def _esc(text):
    return text.replace("&", "&amp;").replace("<", "&lt;").replace(">", "&gt;")


def _nice_step(span, count):
    raw = span / count
    mag = 10.0 ** math.floor(math.log10(raw))
    for m in (1.0, 2.0, 5.0, 10.0):
        if raw <= m * mag * (1 + 1e-9):
            return m * mag
    return 10.0 * mag


def _ticks(lo, hi, count=6):
    if hi - lo < 1e-12:
        lo, hi = lo - 1.0, hi + 1.0
    step = _nice_step(hi - lo, count)
    first = math.floor(lo / step + 1e-9)
    last = math.ceil(hi / step - 1e-9)
    decimals = max(0, -int(math.floor(math.log10(step) + 1e-9)))
    ticks = [k * step for k in range(first, last + 1)]
    return ticks, decimals


def _tick_label(v, decimals):
    text = "%.*f" % (decimals, v)
    return "0" if float(text) == 0.0 else text


def _panel(out, x0, y0, title, xlabel, series, xticks=None, legend=True,
           size=(PANEL_W, PANEL_H)):
    """series: list of (label, xs, ys, marked) with marked a list of bools
    (points drawn as given anchor values)."""
    pw = size[0] - MARGIN_L - (MARGIN_R if legend else 12)
    ph = size[1] - MARGIN_T - MARGIN_B
    px, py = x0 + MARGIN_L, y0 + MARGIN_T
    xs_all = [x for s in series for x in s[1]]
    ys_all = [y for s in series for y in s[2]]
    xlo, xhi = min(xs_all), max(xs_all)
    yt, ydec = _ticks(min(ys_all), max(ys_all))
    ylo, yhi = yt[0], yt[-1]
    if xticks is None:
        xt, xdec = _ticks(xlo, xhi, 8)
        xt = [t for t in xt if xlo - 1e-9 <= t <= xhi + 1e-9]
    else:
        xt, xdec = xticks, 0

    def sx(x):
        return px + (x - xlo) / (xhi - xlo) * pw

    def sy(y):
        return py + ph - (y - ylo) / (yhi - ylo) * ph

    out.append('<text x="%s" y="%s" class="title">%s</text>'
               % (_f(px + pw / 2), _f(y0 + 18), _esc(title)))
    for t in yt:
        out.append('<line x1="%s" y1="%s" x2="%s" y2="%s" class="grid"/>'
                   % (_f(px), _f(sy(t)), _f(px + pw), _f(sy(t))))
        out.append('<text x="%s" y="%s" class="ytick">%s</text>'
                   % (_f(px - 5), _f(sy(t) + 4), _tick_label(t, ydec)))
    for t in xt:
        out.append('<line x1="%s" y1="%s" x2="%s" y2="%s" class="grid"/>'
                   % (_f(sx(t)), _f(py), _f(sx(t)), _f(py + ph)))
        out.append('<text x="%s" y="%s" class="xtick">%s</text>'
                   % (_f(sx(t)), _f(py + ph + 15), _tick_label(t, xdec)))
    if ylo < 0.0 < yhi:
        out.append('<line x1="%s" y1="%s" x2="%s" y2="%s" class="zero"/>'
                   % (_f(px), _f(sy(0.0)), _f(px + pw), _f(sy(0.0))))
    out.append('<rect x="%s" y="%s" width="%s" height="%s" class="frame"/>'
               % (_f(px), _f(py), _f(pw), _f(ph)))
    out.append('<text x="%s" y="%s" class="xlabel">%s</text>'
               % (_f(px + pw / 2), _f(py + ph + 34), _esc(xlabel)))
    for k, (label, xs, ys, marked) in enumerate(series):
        color = PALETTE[k % len(PALETTE)]
        pts = " ".join("%s,%s" % (_f(sx(x)), _f(sy(y))) for x, y in zip(xs, ys))
        out.append('<polyline points="%s" stroke="%s" class="curve"/>'
                   % (pts, color))
        for x, y, m in zip(xs, ys, marked):
            out.append('<circle cx="%s" cy="%s" r="%s" fill="%s" '
                       'stroke="%s" class="pt"/>'
                       % (_f(sx(x)), _f(sy(y)), "3.2" if m else "1.8",
                          "#ffffff" if m else color, color if m else "none"))
        if legend:
            ly = py + 8 + 16 * k
            lx = px + pw + 10
            out.append('<line x1="%s" y1="%s" x2="%s" y2="%s" stroke="%s" '
                       'class="curve"/>' % (_f(lx), _f(ly), _f(lx + 18),
                                            _f(ly), color))
            out.append('<text x="%s" y="%s" class="legend">%s</text>'
                       % (_f(lx + 23), _f(ly + 4), _esc(label)))
    if legend and any(m for s in series for m in s[3]):
        ly = py + 8 + 16 * len(series) + 6
        lx = px + pw + 10
        out.append('<circle cx="%s" cy="%s" r="3.2" fill="#ffffff" '
                   'stroke="#000000" class="pt"/>' % (_f(lx + 9), _f(ly)))
        out.append('<text x="%s" y="%s" class="legend">given value</text>'
                   % (_f(lx + 23), _f(ly + 4)))


_SVG_STYLE = (
    "<style>"
    "text{font-family:Helvetica,Arial,sans-serif;font-size:11px;fill:#222}"
    ".title{font-size:13px;font-weight:bold;text-anchor:middle}"
    ".head{font-size:15px;font-weight:bold}"
    ".xtick{text-anchor:middle}.ytick{text-anchor:end}"
    ".xlabel{text-anchor:middle}"
    ".grid{stroke:#e3e3e3;stroke-width:1}"
    ".zero{stroke:#999;stroke-width:1}"
    ".frame{fill:none;stroke:#444;stroke-width:1}"
    ".curve{fill:none;stroke-width:1.6}"
    ".pt{stroke-width:1.3}"
    "</style>")


def _svg(width, height, heading, body):
    return "\n".join(
        ['<?xml version="1.0" encoding="UTF-8"?>',
         '<svg xmlns="http://www.w3.org/2000/svg" width="%d" height="%d" '
         'viewBox="0 0 %d %d">' % (width, height, width, height),
         _SVG_STYLE,
         '<rect width="100%" height="100%" fill="#ffffff"/>',
         '<text x="12" y="22" class="head">%s</text>' % _esc(heading)]
        + body + ["</svg>"]) + "\n"


def _cuts(table, value_of, betas_shown, marks):
    """Curves along alpha at several beta, and along beta at several alpha."""
    alphas, betas = table.alphas, table.betas
    along_alpha = []
    for b in betas_shown:
        if b in betas:
            ib = betas.index(b)
            along_alpha.append(("beta %g" % b, alphas,
                                [value_of(ia, ib) for ia in range(len(alphas))],
                                [(ia, ib) in marks
                                 for ia in range(len(alphas))]))
    along_beta = []
    for a in PLOT_ALPHAS:
        ia = alphas.index(a)
        along_beta.append(("alpha %g" % a, betas,
                           [value_of(ia, ib) for ib in range(len(betas))],
                           [(ia, ib) in marks for ib in range(len(betas))]))
    return along_alpha, along_beta


def plot_table(tables, name):
    entry = [e for e in TABLES_2D if e[0] == name][0]
    family, ref = entry[3], entry[4]
    table = tables[name]
    marks = set((ia, ib) for ia, ib, _ in anchor_points(table))
    shown = PLOT_BETAS_EVEN if family == LONGITUDINAL else PLOT_BETAS
    rows = [(name, table.at)]
    if family == CONTROL:
        reference = tables[ref]

        def inc_at(ia, ib):
            return increment(table, reference, table.alphas[ia],
                             table.betas[ib])
        rows.append(("%s - %s" % (name, ref), inc_at))
    body = []
    for r, (label, value_of) in enumerate(rows):
        along_alpha, along_beta = _cuts(table, value_of, shown, marks)
        y0 = 30 + r * PANEL_H
        _panel(body, 0, y0, "%s along angle of attack" % label,
               "angle of attack, deg", along_alpha)
        _panel(body, PANEL_W, y0, "%s along sideslip" % label,
               "sideslip, deg", along_beta,
               xticks=[-30, -20, -10, 0, 10, 20, 30])
    heading = "%s (%s x %s, %s)" % (name, entry[1], entry[2], family)
    if family == CONTROL:
        heading += "; lower row: increment over %s" % ref
    return _svg(2 * PANEL_W, 30 + len(rows) * PANEL_H + 4, heading, body)


ONE_D_GROUPS = (
    ("damping_clean", "Damping derivatives, clean (per unit normalised rate)",
     ("CXq", "CZq", "Cmq", "CYp", "CYr", "Cnr", "Cnp", "Clp", "Clr")),
    ("damping_slat", "Slat increments of the damping derivatives",
     ("CXq_slat", "CZq_slat", "Cmq_slat", "CYp_slat", "CYr_slat", "Cnr_slat",
      "Cnp_slat", "Clp_slat", "Clr_slat")),
    ("extra_terms", "Cn_beta, Cl_beta (per degree of sideslip) and Cm_extra",
     ("Cn_beta", "Cl_beta", "Cm_extra")),
)


def plot_one_dimensional(tables, heading, names):
    body = []
    cols, width, height = 3, 330, 230
    for k, name in enumerate(names):
        t = tables[name]
        _panel(body, (k % cols) * width, 30 + (k // cols) * height,
               name, "angle of attack, deg",
               [(name, t.alphas, t.values, [True] * len(t.values))],
               legend=False, size=(width, height))
    rows = (len(names) + cols - 1) // cols
    return _svg(cols * width, 30 + rows * height + 4, heading, body)


def render_plots(tables):
    """File name -> text of every plot, plus an index page."""
    files = {}
    for entry in TABLES_2D:
        files[entry[0] + ".svg"] = plot_table(tables, entry[0])
    for stem, heading, names in ONE_D_GROUPS:
        files[stem + ".svg"] = plot_one_dimensional(tables, heading, names)
    items = []
    for family in (LONGITUDINAL, CLEAN_LATERAL, SLAT_LATERAL, CONTROL):
        items.append("<h2>%s</h2>" % family.capitalize())
        for entry in TABLES_2D:
            if entry[3] == family:
                items.append('<p><a href="%s.svg"><img src="%s.svg" alt="%s" '
                             'width="960"/></a></p>'
                             % (entry[0], entry[0], entry[0]))
    items.append("<h2>One-dimensional tables</h2>")
    for stem, heading, _ in ONE_D_GROUPS:
        items.append('<p><a href="%s.svg"><img src="%s.svg" alt="%s" '
                     'width="990"/></a></p>' % (stem, stem, _esc(heading)))
    files["index.html"] = "\n".join(
        ["<!DOCTYPE html>", '<html lang="en">', "<head>",
         '<meta charset="utf-8"/>',
         "<title>QuillonFM aerodynamic grids</title>",
         "<style>body{font-family:Helvetica,Arial,sans-serif;margin:2em}"
         "</style>", "</head>", "<body>",
         "<h1>QuillonFM aerodynamic grids</h1>",
         "<p>Written by tools/gen_aero_data.py --plots. Open circles are the "
         "given anchor values; see aero-data.md for how the rest is built."
         "</p>"] + items + ["</body>", "</html>"]) + "\n"
    return files


# --------------------------------------------------------------------------

def main(argv=None):
    parser = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    mode = parser.add_mutually_exclusive_group()
    mode.add_argument("--check", action="store_true",
                      help="exit 1 if %s is not what this script writes"
                      % os.path.relpath(CPP_PATH, ROOT))
    mode.add_argument("--plots", nargs="?", const=DEFAULT_PLOT_DIR,
                      metavar="DIR", help="also write the SVG plots to DIR "
                      "(default docs/aero-plots)")
    args = parser.parse_args(argv)

    tables = build_tables()
    text = render_cpp(tables)
    if args.check:
        try:
            with open(CPP_PATH, encoding="utf-8", newline="") as f:
                current = f.read()
        except OSError:
            current = None
        if current != text:
            print("%s is out of date; run python3 tools/gen_aero_data.py"
                  % os.path.relpath(CPP_PATH, ROOT))
            return 1
        return 0
    with open(CPP_PATH, "w", encoding="utf-8", newline="\n") as f:
        f.write(text)
    if args.plots:
        os.makedirs(args.plots, exist_ok=True)
        for fname, content in sorted(render_plots(tables).items()):
            with open(os.path.join(args.plots, fname), "w", encoding="utf-8",
                      newline="\n") as f:
                f.write(content)
    return 0


if __name__ == "__main__":
    sys.exit(main())
