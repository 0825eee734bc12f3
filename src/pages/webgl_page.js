// WebGL viewer page. The graph comes from the #graph-data block (labels,
// then base64 typed arrays: float64 positions, uint32 link ends, float32
// weights, one byte per link for its direction, uint32 component numbers).
// Nodes are drawn as instanced quads, links as one batch of lines over the
// same position buffer (so a dragged node moves its links for free), labels
// on a 2D canvas above, only where they fit. Nothing is fetched.
//
// Drawing every node and link is the one costly step (seconds at 10^5
// nodes on a software renderer), so it runs only when the view settles:
// the WebGL canvas holds the last full drawing, with a margin around the
// window, and a pan or zoom moves and scales that picture with a CSS
// transform until the next full drawing. A dragged node and its links are
// left out of the full drawing while they move and drawn on the overlay.
"use strict";

(function () {
    const PALETTE = [
        [31, 119, 180], [255, 127, 14], [44, 160, 44], [214, 39, 40], [148, 103, 189],
        [140, 86, 75], [227, 119, 194], [188, 189, 34], [23, 190, 207], [127, 127, 127],
    ];
    const SMALL_COMPONENT = [154, 154, 154];
    const PICK_TOLERANCE_PX = 3;
    const MIN_RADIUS_PX = 0.5;  // the shader's smallest node (smaller ones are faded)
    const LABEL_MIN_RADIUS_PX = 3.5;
    const LABEL_LIMIT = 300;
    const LABEL_CHECK_LIMIT = 20000;
    const LABEL_FONT = "12px system-ui, -apple-system, 'Segoe UI', sans-serif";
    const LABEL_CELL_PX = 8;
    const FLY_MS = 450;
    const CLICK_SLOP_PX = 4;
    const MARGIN = 0.25;  // of the window's size, drawn around it on every side
    const SETTLE_MS = 150;
    // Viridis, sampled at five points: numbers from low to high.
    const RAMP = [[68, 1, 84], [59, 82, 139], [33, 145, 140], [94, 201, 98], [253, 231, 37]];
    const MISSING = [205, 205, 205];  // nodes without a value in the column drawn by
    const colourParser = document.createElement("canvas").getContext("2d");  // reads colour names

    // ---- data ------------------------------------------------------------------

    function decode(base64, Type) {
        const text = atob(base64);
        const bytes = new Uint8Array(text.length);
        for (let i = 0; i < text.length; i++) bytes[i] = text.charCodeAt(i);
        return new Type(bytes.buffer);
    }

    performance.mark('const data = JSO');
    const data = JSON.parse(document.getElementById("graph-data").textContent);
    const labels = data.labels;
    const n = labels.length;
    const positions = decode(data.positions, Float64Array);  // exact, for the downloads
    const links = decode(data.links, Uint32Array);
    const weights = decode(data.weights, Float32Array);
    const directed = decode(data.directed, Uint8Array);
    const component = decode(data.components, Uint32Array);
    const m = weights.length;
    // Attribute columns (node columns by node, link columns by link): a
    // name, a type ("float", "int", "bool", "str") and values, null where
    // missing; non-finite floats come as the strings "NaN", "inf", "-inf".
    const nodeColumns = data.nodeColumns || [];
    const linkColumns = data.linkColumns || [];
    for (const column of nodeColumns.concat(linkColumns)) {
        if (column.type !== "float") continue;
        column.values = column.values.map((v) => v === "NaN" ? NaN : v === "inf" ? Infinity : v === "-inf" ? -Infinity : v);
    }
    performance.mark('const drawn = ne');
    const drawn = new Float32Array(positions);  // what the GPU holds

    performance.mark('// Degrees:');
    // Degrees: an edge counts at both ends (a self-loop twice), an arc out
    // at its source and in at its target.
    const undirectedDegree = new Uint32Array(n);
    const outDegree = new Uint32Array(n);
    const inDegree = new Uint32Array(n);
    for (let k = 0; k < m; k++) {
        const s = links[2 * k], t = links[2 * k + 1];
        if (directed[k]) {
            outDegree[s]++;
            inDegree[t]++;
        } else {
            undirectedDegree[s]++;
            undirectedDegree[t]++;
        }
    }
    const degree = new Uint32Array(n);
    let maxDegree = 0;
    for (let i = 0; i < n; i++) {
        degree[i] = undirectedDegree[i] + outDegree[i] + inDegree[i];
        if (degree[i] > maxDegree) maxDegree = degree[i];
    }

    performance.mark("// Each node's l");
    // Each node's links (CSR by node), for highlighting its neighbourhood.
    const incidentStart = new Uint32Array(n + 1);
    for (let k = 0; k < m; k++) {
        incidentStart[links[2 * k] + 1]++;
        if (links[2 * k] !== links[2 * k + 1]) incidentStart[links[2 * k + 1] + 1]++;
    }
    for (let i = 0; i < n; i++) incidentStart[i + 1] += incidentStart[i];
    const incident = new Uint32Array(incidentStart[n]);
    {
        const cursor = incidentStart.slice(0, n);
        for (let k = 0; k < m; k++) {
            incident[cursor[links[2 * k]]++] = k;
            if (links[2 * k] !== links[2 * k + 1]) incident[cursor[links[2 * k + 1]]++] = k;
        }
    }

    performance.mark('const componentS');
    const componentSizes = [];
    for (let i = 0; i < n; i++) componentSizes[component[i]] = (componentSizes[component[i]] || 0) + 1;

    // Nodes by degree, largest first: the order labels claim room in.
    const byDegree = new Uint32Array(n);
    for (let i = 0; i < n; i++) byDegree[i] = i;
    byDegree.sort((a, b) => degree[b] - degree[a] || a - b);

    performance.mark('// ---- view');
    // ---- view ------------------------------------------------------------------

    const graphCanvas = document.getElementById("graph");
    const labelCanvas = document.getElementById("labels");
    const labelContext = labelCanvas.getContext("2d");
    const tooltip = document.getElementById("tooltip");
    const searchBox = document.getElementById("search");

    // screen (CSS px) = world * scale + offset
    const camera = { scale: 1, x: 0, y: 0 };
    let width = 1, height = 1, pixelRatio = 1;

    function bounds() {
        let minX = Infinity, minY = Infinity, maxX = -Infinity, maxY = -Infinity;
        for (let i = 0; i < n; i++) {
            const x = drawn[2 * i], y = drawn[2 * i + 1];
            if (!Number.isFinite(x) || !Number.isFinite(y)) continue;
            if (x < minX) minX = x;
            if (x > maxX) maxX = x;
            if (y < minY) minY = y;
            if (y > maxY) maxY = y;
        }
        if (minX > maxX) return { minX: 0, minY: 0, maxX: 1, maxY: 1 };
        return { minX, minY, maxX, maxY };
    }

    function fitCamera() {
        const box = bounds();
        const margin = 40, top = 64;  // the search bar sits above the top margin
        const spanX = Math.max(box.maxX - box.minX, 1e-9);
        const spanY = Math.max(box.maxY - box.minY, 1e-9);
        let scale = Math.min((width - 2 * margin) / spanX, (height - margin - top) / spanY);
        if (!Number.isFinite(scale) || scale <= 0) scale = 1;
        if (box.maxX - box.minX === 0 && box.maxY - box.minY === 0) scale = 1;
        return {
            scale: scale,
            x: width / 2 - (box.minX + box.maxX) / 2 * scale,
            y: (height + top - margin) / 2 - (box.minY + box.maxY) / 2 * scale,
        };
    }

    function resize() {
        pixelRatio = window.devicePixelRatio || 1;
        width = Math.max(window.innerWidth, 1);
        height = Math.max(window.innerHeight, 1);
        labelCanvas.width = Math.round(width * pixelRatio);
        labelCanvas.height = Math.round(height * pixelRatio);
        graphCanvas.width = Math.round(width * (1 + 2 * MARGIN) * pixelRatio);
        graphCanvas.height = Math.round(height * (1 + 2 * MARGIN) * pixelRatio);
        Object.assign(graphCanvas.style, {
            left: -MARGIN * width + "px", top: -MARGIN * height + "px",
            width: width * (1 + 2 * MARGIN) + "px", height: height * (1 + 2 * MARGIN) + "px",
            transformOrigin: "0 0",
        });
    }

    resize();
    const initial = fitCamera();
    Object.assign(camera, initial);

    // ---- picking: a grid over the initial positions -----------------------------

    const grid = (function () {
        const box = bounds();
        const spanX = Math.max(box.maxX - box.minX, 1e-9), spanY = Math.max(box.maxY - box.minY, 1e-9);
        const side = Math.max(Math.sqrt(spanX * spanY / Math.max(n, 1)) * 2, 1e-9);
        const columns = Math.min(Math.max(Math.ceil(spanX / side), 1), 4096);
        const rows = Math.min(Math.max(Math.ceil(spanY / side), 1), 4096);
        const cellWidth = spanX / columns, cellHeight = spanY / rows;
        const cellOf = (x, y, limit, origin, extent) => Math.min(Math.max(Math.floor((x - origin) / extent), 0), limit - 1);
        const start = new Uint32Array(columns * rows + 1);
        const cellIndex = new Uint32Array(n);
        for (let i = 0; i < n; i++) {
            const x = drawn[2 * i], y = drawn[2 * i + 1];
            const cell = Number.isFinite(x) && Number.isFinite(y)
                ? cellOf(y, 0, rows, box.minY, cellHeight) * columns + cellOf(x, 0, columns, box.minX, cellWidth)
                : 0;
            cellIndex[i] = cell;
            start[cell + 1]++;
        }
        for (let c = 0; c < columns * rows; c++) start[c + 1] += start[c];
        const members = new Uint32Array(n);
        const cursor = start.slice(0, columns * rows);
        for (let i = 0; i < n; i++) members[cursor[cellIndex[i]]++] = i;
        return {
            box, columns, rows, cellWidth, cellHeight, start, members,
            column: (x) => cellOf(x, 0, columns, box.minX, cellWidth),
            row: (y) => cellOf(y, 0, rows, box.minY, cellHeight),
        };
    })();
    performance.mark('// The median di');
    // The median distance from a node to its nearest neighbour, over a
    // sample, in world units (Infinity when no node has a neighbour nearby).
    function typicalSpacing() {
        const sample = Math.min(n, 2000);
        const found = [];
        for (let j = 0; j < sample; j++) {
            const i = Math.floor(j * n / sample);
            const x = drawn[2 * i], y = drawn[2 * i + 1];
            const column = grid.column(x), row = grid.row(y);
            let nearest = Infinity;
            for (let r = Math.max(row - 1, 0); r <= Math.min(row + 1, grid.rows - 1); r++) {
                for (let c = Math.max(column - 1, 0); c <= Math.min(column + 1, grid.columns - 1); c++) {
                    const cell = r * grid.columns + c;
                    for (let p = grid.start[cell]; p < grid.start[cell + 1]; p++) {
                        const other = grid.members[p];
                        if (other === i) continue;
                        const d = Math.hypot(drawn[2 * other] - x, drawn[2 * other + 1] - y);
                        if (d > 0 && d < nearest) nearest = d;
                    }
                }
            }
            if (nearest < Infinity) found.push(nearest);
        }
        if (found.length === 0) return Infinity;
        found.sort((a, b) => a - b);
        return found[found.length >> 1];
    }

    // Sizes are set once, from how close nodes sit in the fitted view: world
    // units, so nodes grow as one zooms in.
    const spacingPx = Math.min(typicalSpacing() * initial.scale, Math.sqrt(width * height / Math.max(n, 1)));
    const baseRadiusPx = Math.min(Math.max(0.25 * spacingPx, 0.3), 8);
    const radius = new Float32Array(n);
    let maxRadius = 0;
    // Sizes follow a numeric column when asked (the file's own sizes among
    // them), else degree; a node without a value is drawn small.
    const sizeColumn = columnNamed(data.sizeBy) || (data.fileStyle ? columnNamed("viz:size") : null);
    const sizeRange = sizeColumn ? finiteRange(sizeColumn.values) : null;
    for (let i = 0; i < n; i++) {
        let share;
        if (sizeRange) {
            const v = sizeColumn.values[i];
            share = typeof v === "number" && Number.isFinite(v)
                ? (sizeRange[1] > sizeRange[0] ? 0.2 + 1.3 * Math.sqrt((v - sizeRange[0]) / (sizeRange[1] - sizeRange[0])) : 0.6)
                : -0.4;
        } else {
            share = maxDegree > 0 ? Math.sqrt(degree[i] / maxDegree) : 0;
        }
        radius[i] = baseRadiusPx * (0.8 + share) / initial.scale;
        if (radius[i] > maxRadius) maxRadius = radius[i];
    }

    performance.mark('// Line opacity');
    // Line opacity from how much of the fitted view the lines would cover.
    function lineOpacity() {
        if (m === 0) return 0.6;
        const sample = Math.min(m, 20000);
        let length = 0;
        for (let j = 0; j < sample; j++) {
            const k = Math.floor(j * m / sample);
            const s = links[2 * k], t = links[2 * k + 1];
            length += Math.hypot(drawn[2 * s] - drawn[2 * t], drawn[2 * s + 1] - drawn[2 * t + 1]) || 0;
        }
        const coverage = m * (length / sample) * initial.scale / (width * height);
        return Math.min(Math.max(0.9 / Math.max(coverage, 1e-9), 0.05), 0.6);
    }
    const lineAlpha = lineOpacity();

    const colour = new Uint8Array(4 * n);
    for (let i = 0; i < n; i++) {
        const c = component[i];
        const rgb = c < PALETTE.length && componentSizes[c] > 1 ? PALETTE[c] : SMALL_COMPONENT;
        colour.set([rgb[0], rgb[1], rgb[2], 255], 4 * i);
    }
    const legend = colourByColumn();

    // ---- attribute columns -----------------------------------------------------

    function columnNamed(name) {
        if (name === undefined || name === null) return null;
        return nodeColumns.find((column) => column.name === name) || null;
    }

    function finiteRange(values) {
        let low = Infinity, high = -Infinity;
        for (const v of values) {
            if (typeof v !== "number" || !Number.isFinite(v)) continue;
            if (v < low) low = v;
            if (v > high) high = v;
        }
        return low <= high ? [low, high] : null;
    }

    // A colour a file names ("#rrggbb", "#rrggbbaa", a CSS or Pajek colour
    // name such as "Red" or "RoyalBlue") as [r, g, b], or null.
    function namedColour(text) {
        if (typeof text !== "string" || text === "") return null;
        const hex = /^#([0-9a-f]{6})([0-9a-f]{2})?$/i.exec(text);
        if (hex) return [0, 2, 4].map((k) => parseInt(hex[1].slice(k, k + 2), 16));
        colourParser.fillStyle = "#000001";
        colourParser.fillStyle = text;
        const parsed = /^#([0-9a-f]{6})$/i.exec(colourParser.fillStyle);
        if (!parsed || colourParser.fillStyle === "#000001") return null;
        return [0, 2, 4].map((k) => parseInt(parsed[1].slice(k, k + 2), 16));
    }

    function rampAt(t) {
        const x = Math.min(Math.max(t, 0), 1) * (RAMP.length - 1);
        const k = Math.min(Math.floor(x), RAMP.length - 2), f = x - k;
        return [0, 1, 2].map((c) => Math.round(RAMP[k][c] + (RAMP[k + 1][c] - RAMP[k][c]) * f));
    }

    function valueText(v) {
        if (v === null || v === undefined) return "";
        if (typeof v === "number" && Number.isNaN(v)) return "NaN";
        return String(v);
    }

    // Colours nodes by the asked column: a palette for strings, bools and
    // integers with few distinct values (the most frequent first, the rest
    // as "other"), a ramp for other numbers; the file's own colours when
    // asked. Returns what the legend shows, or null.
    function colourByColumn() {
        const paint = (i, rgb) => colour.set([rgb[0], rgb[1], rgb[2], 255], 4 * i);
        const column = columnNamed(data.colorBy);
        if (!column) {
            if (!data.fileStyle) return null;
            const fileColours = columnNamed("viz:color") || columnNamed("ic");
            if (!fileColours) return null;
            for (let i = 0; i < n; i++) {
                const rgb = namedColour(fileColours.values[i]);
                if (rgb) paint(i, rgb);
            }
            return null;
        }
        const values = column.values;
        const counts = new Map();
        for (const v of values) if (v !== null) counts.set(v, (counts.get(v) || 0) + 1);
        const numeric = column.type === "float" || column.type === "int";
        const categorical = !numeric || (column.type === "int" && counts.size <= PALETTE.length);
        if (categorical) {
            const order = Array.from(counts.keys()).sort((a, b) => counts.get(b) - counts.get(a) ||
                (a < b ? -1 : a > b ? 1 : 0));
            const slot = new Map();
            order.forEach((v, k) => slot.set(v, k < PALETTE.length ? k : -1));
            for (let i = 0; i < n; i++) {
                const v = values[i];
                paint(i, v === null ? MISSING : slot.get(v) >= 0 ? PALETTE[slot.get(v)] : SMALL_COMPONENT);
            }
            const entries = order.slice(0, PALETTE.length).map((v, k) => ({ text: valueText(v), rgb: PALETTE[k], count: counts.get(v) }));
            if (order.length > PALETTE.length) {
                let rest = 0;
                for (const v of order.slice(PALETTE.length)) rest += counts.get(v);
                entries.push({ text: "other", rgb: SMALL_COMPONENT, count: rest });
            }
            return { name: column.name, entries: entries };
        }
        const range = finiteRange(values) || [0, 0];
        const span = range[1] - range[0];
        for (let i = 0; i < n; i++) {
            const v = values[i];
            paint(i, typeof v === "number" && Number.isFinite(v) ? rampAt(span > 0 ? (v - range[0]) / span : 0.5) : MISSING);
        }
        return { name: column.name, range: range };
    }

    function showLegend() {
        const box = document.getElementById("legend");
        if (!legend) return;
        const title = document.createElement("div");
        title.className = "title";
        title.textContent = legend.name;
        box.appendChild(title);
        if (legend.entries) {
            for (const entry of legend.entries) {
                const row = document.createElement("div");
                const swatch = document.createElement("span");
                swatch.className = "swatch";
                swatch.style.background = "rgb(" + entry.rgb.join(",") + ")";
                row.appendChild(swatch);
                row.appendChild(document.createTextNode(entry.text + " (" + entry.count + ")"));
                box.appendChild(row);
            }
        } else {
            const ramp = document.createElement("div");
            ramp.className = "ramp";
            ramp.style.background = "linear-gradient(to right, " + RAMP.map((c) => "rgb(" + c.join(",") + ")").join(", ") + ")";
            box.appendChild(ramp);
            const ends = document.createElement("div");
            ends.className = "ends";
            for (const v of legend.range) {
                const end = document.createElement("span");
                end.textContent = String(v);
                ends.appendChild(end);
            }
            box.appendChild(ends);
        }
        box.style.display = "block";
    }
    showLegend();

    performance.mark('// ---- WebGL');
    // ---- WebGL -----------------------------------------------------------------

    const gl = graphCanvas.getContext("webgl2", { antialias: false, premultipliedAlpha: true, alpha: false });
    if (!gl) {
        document.getElementById("message").textContent = "This page needs WebGL 2, which this browser does not offer.";
    }

    // Nodes are point sprites: one vertex each, which software renderers
    // draw several times faster than instanced quads. A sprite's size has a
    // ceiling (largestPoint), so on-screen radii stop growing there.
    const NODE_VERTEX = `#version 300 es
layout(location = 1) in vec2 center;
layout(location = 2) in float radius;
layout(location = 3) in vec4 colour;
layout(location = 4) in float mark;
uniform float scale;
uniform vec2 offset;
uniform vec2 size;
uniform float dimming;
uniform float ratio;
uniform float largest;
out float extent;
out float pixels;
out float coverage;
out vec4 tint;
out float selected;
void main() {
    float r = clamp(radius * scale, 0.5, largest);
    // Nodes below half a pixel are drawn at half a pixel, faded by their
    // area, so crowded regions shade instead of turning solid.
    coverage = min(radius * scale * radius * scale * 4.0, 1.0);
    extent = r + 1.5;
    vec2 p = center * scale + offset;
    gl_PointSize = 2.0 * extent * ratio;
    pixels = r;
    float dim = dimming > 0.5 && mark < 0.5 ? 1.0 : 0.0;
    tint = vec4(mix(colour.rgb, vec3(0.88), 0.8 * dim), 1.0);
    selected = mark > 1.5 ? 1.0 : 0.0;
    gl_Position = mark > 2.5 ? vec4(2.0, 2.0, 2.0, 1.0)  // dragged: drawn on the overlay
                             : vec4(p.x / size.x * 2.0 - 1.0, 1.0 - p.y / size.y * 2.0, 0.0, 1.0);
}`;
    const NODE_FRAGMENT = `#version 300 es
precision mediump float;
in float extent;
in float pixels;
in float coverage;
in vec4 tint;
in float selected;
out vec4 result;
void main() {
    float d = length(gl_PointCoord * 2.0 - 1.0) * extent;
    float alpha = clamp(pixels + 0.5 - d, 0.0, 1.0) * coverage;
    if (alpha <= 0.0) discard;
    float ring = pixels > 3.0 ? smoothstep(pixels - 1.5, pixels - 0.5, d) : 0.0;
    float wide = selected > 0.5 ? smoothstep(pixels - 3.5, pixels - 2.5, d) : 0.0;
    vec3 rgb = mix(tint.rgb, tint.rgb * 0.55, ring);
    rgb = mix(rgb, vec3(0.1), wide);
    result = vec4(rgb * alpha, alpha);
}`;
    const LINE_VERTEX = `#version 300 es
layout(location = 1) in vec2 center;
uniform float scale;
uniform vec2 offset;
uniform vec2 size;
void main() {
    vec2 p = center * scale + offset;
    gl_Position = vec4(p.x / size.x * 2.0 - 1.0, 1.0 - p.y / size.y * 2.0, 0.0, 1.0);
}`;
    // Arrowheads: one triangle per arc, instanced, sized in screen pixels
    // and set back from the target's rim by the target's drawn radius, so
    // the tip touches the disc at every zoom.
    const ARROW_VERTEX = `#version 300 es
layout(location = 1) in vec4 ends;
layout(location = 2) in vec2 targetAndHidden;
uniform float scale;
uniform vec2 offset;
uniform vec2 size;
uniform float largest;
void main() {
    vec2 s = ends.xy * scale + offset;
    vec2 t = ends.zw * scale + offset;
    float span = length(t - s);
    float r = clamp(targetAndHidden.x * scale, 0.5, largest);
    if (targetAndHidden.y > 0.5 || span <= r + 1.0) {
        gl_Position = vec4(2.0, 2.0, 2.0, 1.0);
        return;
    }
    vec2 along = (t - s) / span;
    vec2 across = vec2(-along.y, along.x);
    float head = min(10.0, 0.45 * (span - r));
    vec2 tip = t - along * r;
    vec2 p = gl_VertexID == 0 ? tip : tip - along * head + across * head * (gl_VertexID == 1 ? 0.4 : -0.4);
    gl_Position = vec4(p.x / size.x * 2.0 - 1.0, 1.0 - p.y / size.y * 2.0, 0.0, 1.0);
}`;
    const LINE_FRAGMENT = `#version 300 es
precision mediump float;
uniform vec4 colour;
out vec4 result;
void main() {
    result = vec4(colour.rgb * colour.a, colour.a);
}`;

    function program(vertexText, fragmentText) {
        const made = gl.createProgram();
        for (const [type, text] of [[gl.VERTEX_SHADER, vertexText], [gl.FRAGMENT_SHADER, fragmentText]]) {
            const shader = gl.createShader(type);
            gl.shaderSource(shader, text);
            gl.compileShader(shader);
            if (!gl.getShaderParameter(shader, gl.COMPILE_STATUS)) throw new Error(gl.getShaderInfoLog(shader));
            gl.attachShader(made, shader);
        }
        gl.linkProgram(made);
        if (!gl.getProgramParameter(made, gl.LINK_STATUS)) throw new Error(gl.getProgramInfoLog(made));
        const uniforms = {};
        for (const name of ["scale", "offset", "size", "dimming", "colour", "ratio", "largest"]) {
            uniforms[name] = gl.getUniformLocation(made, name);
        }
        return { program: made, uniforms: uniforms };
    }

    function buffer(target, contents, usage) {
        const made = gl.createBuffer();
        gl.bindBuffer(target, made);
        gl.bufferData(target, contents, usage || gl.STATIC_DRAW);
        return made;
    }

    function attribute(location, bufferObject, size, type, normalized, divisor) {
        gl.bindBuffer(gl.ARRAY_BUFFER, bufferObject);
        gl.enableVertexAttribArray(location);
        gl.vertexAttribPointer(location, size, type, normalized, 0, 0);
        gl.vertexAttribDivisor(location, divisor);
    }

    const marks = new Uint8Array(n);  // 0 plain, 1 neighbour of the selection, 2 selected, 3 dragged
    let nodeShader, lineShader, nodeArray, lineArray, highlightArray, positionBuffer, markBuffer;
    let highlightCount = 0;
    let largestPoint = 64;  // largest on-screen radius a point sprite can show
    let lineCount = 2 * m;  // indices drawn: all links, or those a drag leaves in place
    let allLinks = null, restingLinks = null;
    // Arcs, each as its two ends (x, y, x, y) and its target's radius with a
    // flag that hides it while a drag draws it on the overlay.
    const arcs = [];
    for (let k = 0; k < m; k++) if (directed[k]) arcs.push(k);
    const arcOf = new Int32Array(m).fill(-1);
    arcs.forEach((k, a) => { arcOf[k] = a; });
    const arcEnds = new Float32Array(4 * arcs.length);
    const arcTargets = new Float32Array(2 * arcs.length);
    function placeArc(a) {
        const k = arcs[a], s = links[2 * k], t = links[2 * k + 1];
        arcEnds.set([drawn[2 * s], drawn[2 * s + 1], drawn[2 * t], drawn[2 * t + 1]], 4 * a);
    }
    let arrowShader, arrowArray, arcEndBuffer, arcTargetBuffer;
    if (gl) {
        nodeShader = program(NODE_VERTEX, NODE_FRAGMENT);
        lineShader = program(LINE_VERTEX, LINE_FRAGMENT);
        positionBuffer = buffer(gl.ARRAY_BUFFER, drawn, gl.DYNAMIC_DRAW);
        markBuffer = buffer(gl.ARRAY_BUFFER, marks, gl.DYNAMIC_DRAW);

        nodeArray = gl.createVertexArray();
        gl.bindVertexArray(nodeArray);
        attribute(1, positionBuffer, 2, gl.FLOAT, false, 0);
        attribute(2, buffer(gl.ARRAY_BUFFER, radius), 1, gl.FLOAT, false, 0);
        attribute(3, buffer(gl.ARRAY_BUFFER, colour), 4, gl.UNSIGNED_BYTE, true, 0);
        attribute(4, markBuffer, 1, gl.UNSIGNED_BYTE, false, 0);
        largestPoint = Math.max((gl.getParameter(gl.ALIASED_POINT_SIZE_RANGE)[1] / pixelRatio) / 2 - 1.5, 1);

        lineArray = gl.createVertexArray();
        gl.bindVertexArray(lineArray);
        attribute(1, positionBuffer, 2, gl.FLOAT, false, 0);
        allLinks = buffer(gl.ELEMENT_ARRAY_BUFFER, links);
        restingLinks = gl.createBuffer();

        // The selected node's links, over the same positions.
        highlightArray = gl.createVertexArray();
        gl.bindVertexArray(highlightArray);
        attribute(1, positionBuffer, 2, gl.FLOAT, false, 0);
        buffer(gl.ELEMENT_ARRAY_BUFFER, new Uint32Array(0), gl.DYNAMIC_DRAW);
        gl.bindVertexArray(null);

        if (arcs.length > 0) {
            arrowShader = program(ARROW_VERTEX, LINE_FRAGMENT);
            for (let a = 0; a < arcs.length; a++) {
                placeArc(a);
                arcTargets[2 * a] = radius[links[2 * arcs[a] + 1]];
            }
            arrowArray = gl.createVertexArray();
            gl.bindVertexArray(arrowArray);
            arcEndBuffer = buffer(gl.ARRAY_BUFFER, arcEnds, gl.DYNAMIC_DRAW);
            attribute(1, arcEndBuffer, 4, gl.FLOAT, false, 1);
            arcTargetBuffer = buffer(gl.ARRAY_BUFFER, arcTargets, gl.DYNAMIC_DRAW);
            attribute(2, arcTargetBuffer, 2, gl.FLOAT, false, 1);
            gl.bindVertexArray(null);
        }

        gl.enable(gl.BLEND);
        gl.blendFunc(gl.ONE, gl.ONE_MINUS_SRC_ALPHA);
    }

    function setView(shader) {
        gl.useProgram(shader.program);
        gl.uniform1f(shader.uniforms.scale, camera.scale);
        gl.uniform2f(shader.uniforms.offset, camera.x + MARGIN * width, camera.y + MARGIN * height);
        gl.uniform2f(shader.uniforms.size, width * (1 + 2 * MARGIN), height * (1 + 2 * MARGIN));
    }

    function drawGraph() {
        gl.viewport(0, 0, graphCanvas.width, graphCanvas.height);
        gl.clearColor(1, 1, 1, 1);
        gl.clear(gl.COLOR_BUFFER_BIT);
        const dimming = selected >= 0;
        if (m > 0) {
            setView(lineShader);
            gl.bindVertexArray(lineArray);
            const alpha = dimming ? lineAlpha * 0.3 : lineAlpha;
            gl.uniform4f(lineShader.uniforms.colour, 0.25, 0.25, 0.3, alpha);
            gl.drawElements(gl.LINES, lineCount, gl.UNSIGNED_INT, 0);
            if (dimming && highlightCount > 0) {
                gl.bindVertexArray(highlightArray);
                gl.uniform4f(lineShader.uniforms.colour, 0.1, 0.1, 0.1, 0.9);
                gl.drawElements(gl.LINES, highlightCount, gl.UNSIGNED_INT, 0);
            }
        }
        if (arcs.length > 0) {
            setView(arrowShader);
            gl.uniform1f(arrowShader.uniforms.largest, largestPoint);
            gl.bindVertexArray(arrowArray);
            const alpha = Math.max(lineAlpha, 0.6);
            gl.uniform4f(arrowShader.uniforms.colour, 0.25, 0.25, 0.3, dimming ? alpha * 0.3 : alpha);
            gl.drawArraysInstanced(gl.TRIANGLES, 0, 3, arcs.length);
        }
        if (n > 0) {
            setView(nodeShader);
            gl.uniform1f(nodeShader.uniforms.dimming, dimming ? 1 : 0);
            gl.uniform1f(nodeShader.uniforms.ratio, pixelRatio);
            gl.uniform1f(nodeShader.uniforms.largest, largestPoint);
            gl.bindVertexArray(nodeArray);
            gl.drawArrays(gl.POINTS, 0, n);
        }
        gl.bindVertexArray(null);
    }

    performance.mark('// ---- labels');
    // ---- labels ----------------------------------------------------------------

    const labelWidth = new Float32Array(n).fill(-1);
    let occupied = new Uint8Array(0);
    let labelsShown = 0;

    function shownText(i) {
        const text = labels[i].replace(/[\r\n\t]+/g, " ");
        return text.length > 40 ? text.slice(0, 39) + "…" : text;
    }

    // Places the label under node i if its box is on screen and free; true if drawn.
    function placeLabel(i, columns, rows) {
        const sx = drawn[2 * i] * camera.scale + camera.x;
        const sy = drawn[2 * i + 1] * camera.scale + camera.y;
        const r = screenRadius(i);
        if (labelWidth[i] < 0) labelWidth[i] = labelContext.measureText(shownText(i)).width;
        const left = sx - labelWidth[i] / 2 - 6, right = sx + labelWidth[i] / 2 + 6;
        const top = sy + r + 1, bottom = top + 15;
        if (left < 0 || top < 0 || right >= width || bottom >= height) return false;
        const c0 = Math.floor(left / LABEL_CELL_PX), c1 = Math.floor(right / LABEL_CELL_PX);
        const r0 = Math.floor(top / LABEL_CELL_PX), r1 = Math.floor(bottom / LABEL_CELL_PX);
        for (let row = r0; row <= r1; row++) {
            for (let column = c0; column <= c1; column++) if (occupied[row * columns + column]) return false;
        }
        for (let row = r0; row <= r1; row++) occupied.fill(1, row * columns + c0, row * columns + c1 + 1);
        labelContext.strokeText(shownText(i), sx, top + 12);
        labelContext.fillText(shownText(i), sx, top + 12);
        return true;
    }

    function drawLabels() {
        labelContext.font = LABEL_FONT;
        labelContext.textAlign = "center";
        labelContext.lineWidth = 3;
        labelContext.strokeStyle = "rgba(255,255,255,0.85)";
        labelContext.fillStyle = "#222";
        const columns = Math.ceil(width / LABEL_CELL_PX) + 1;
        const rows = Math.ceil(height / LABEL_CELL_PX) + 1;
        if (occupied.length !== columns * rows) occupied = new Uint8Array(columns * rows);
        else occupied.fill(0);
        // About one label per 8,000 px² at most, so they stay readable.
        const limit = Math.min(LABEL_LIMIT, Math.floor(width * height / 8000));
        let shown = 0;
        if (selected >= 0) {
            if (placeLabel(selected, columns, rows)) shown++;
            for (let p = incidentStart[selected]; p < incidentStart[selected + 1] && shown < limit; p++) {
                const k = incident[p];
                const other = links[2 * k] === selected ? links[2 * k + 1] : links[2 * k];
                if (placeLabel(other, columns, rows)) shown++;
            }
        }
        let checked = 0;
        for (let j = 0; j < n && shown < limit && checked < LABEL_CHECK_LIMIT; j++) {
            const i = byDegree[j];
            if (radius[i] * camera.scale < LABEL_MIN_RADIUS_PX) break;  // the rest are smaller
            const sx = drawn[2 * i] * camera.scale + camera.x;
            const sy = drawn[2 * i + 1] * camera.scale + camera.y;
            if (sx < 0 || sy < 0 || sx > width || sy > height) continue;
            checked++;
            if (placeLabel(i, columns, rows)) shown++;
        }
        labelsShown = shown;
    }

    // ---- frames ----------------------------------------------------------------

    let framePending = false;
    let fullPending = true;
    let settleTimer = null;
    let frames = 0;
    const drawnCamera = { scale: 1, x: 0, y: 0 };  // the camera of the full drawing on the WebGL canvas

    // Maps the full drawing onto the current view.
    function placeDrawing() {
        const k = camera.scale / drawnCamera.scale;
        const tx = (-MARGIN * width - drawnCamera.x) * k + camera.x + MARGIN * width;
        const ty = (-MARGIN * height - drawnCamera.y) * k + camera.y + MARGIN * height;
        graphCanvas.style.transform = k === 1 && tx === 0 && ty === 0 ? "" : "matrix(" + k + ",0,0," + k + "," + tx + "," + ty + ")";
    }

    function render() {
        framePending = false;
        if (fullPending) {
            fullPending = false;
            performance.mark("draw"); if (gl) drawGraph(); performance.mark("drawn");
            Object.assign(drawnCamera, camera);
        }
        placeDrawing();
        drawOverlay();
        frames++;
    }

    function requestRender() {
        if (framePending) return;
        framePending = true;
        requestAnimationFrame(render);
    }

    function requestFullRender() {
        fullPending = true;
        requestRender();
    }

    // A moved view: transformed now, drawn in full once it rests.
    function viewChanged() {
        requestRender();
        if (settleTimer !== null) clearTimeout(settleTimer);
        settleTimer = setTimeout(() => {
            settleTimer = null;
            requestFullRender();
        }, SETTLE_MS);
    }

    // The dragged node and its links, which the full drawing leaves out.
    function drawDragged() {
        if (dragging < 0) return;
        const i = dragging;
        const [sx, sy] = screenOf(i);
        labelContext.lineWidth = 1;
        labelContext.strokeStyle = "rgba(64,64,77," + Math.max(lineAlpha, 0.5) + ")";
        labelContext.beginPath();
        for (let p = incidentStart[i]; p < incidentStart[i + 1]; p++) {
            const k = incident[p];
            const [ax, ay] = screenOf(links[2 * k]);
            const [bx, by] = screenOf(links[2 * k + 1]);
            labelContext.moveTo(ax, ay);
            labelContext.lineTo(bx, by);
        }
        labelContext.stroke();
        labelContext.fillStyle = labelContext.strokeStyle;
        for (let p = incidentStart[i]; p < incidentStart[i + 1]; p++) {
            const k = incident[p];
            if (directed[k]) drawArrowhead(links[2 * k], links[2 * k + 1]);
        }
        labelContext.beginPath();
        labelContext.arc(sx, sy, screenRadius(i), 0, 2 * Math.PI);
        labelContext.fillStyle = "rgb(" + colour[4 * i] + "," + colour[4 * i + 1] + "," + colour[4 * i + 2] + ")";
        labelContext.fill();
        labelContext.strokeStyle = "rgba(0,0,0,0.45)";
        labelContext.stroke();
    }

    // The overlay's arrowhead of the arc s -> t, as the arrow shader draws it.
    function drawArrowhead(s, t) {
        const [ax, ay] = screenOf(s);
        const [bx, by] = screenOf(t);
        const span = Math.hypot(bx - ax, by - ay);
        const r = screenRadius(t);
        if (span <= r + 1) return;
        const ux = (bx - ax) / span, uy = (by - ay) / span;
        const head = Math.min(10, 0.45 * (span - r));
        const tipX = bx - ux * r, tipY = by - uy * r;
        labelContext.beginPath();
        labelContext.moveTo(tipX, tipY);
        labelContext.lineTo(tipX - ux * head - uy * head * 0.4, tipY - uy * head + ux * head * 0.4);
        labelContext.lineTo(tipX - ux * head + uy * head * 0.4, tipY - uy * head - ux * head * 0.4);
        labelContext.closePath();
        labelContext.fill();
    }

    function drawOverlay() {
        labelContext.setTransform(pixelRatio, 0, 0, pixelRatio, 0, 0);
        labelContext.clearRect(0, 0, width, height);
        drawDragged();
        drawLabels();
    }

    function screenOf(i) {
        return [drawn[2 * i] * camera.scale + camera.x, drawn[2 * i + 1] * camera.scale + camera.y];
    }

    const moved = new Uint8Array(n);  // dragged since load: looked at one by one, not through the grid
    const movedList = [];

    function screenRadius(i) {
        return Math.min(Math.max(radius[i] * camera.scale, MIN_RADIUS_PX), largestPoint);
    }

    // The node under screen point (sx, sy), or -1: the one whose rim is nearest.
    function pick(sx, sy) {
        if (n === 0) return -1;
        const wx = (sx - camera.x) / camera.scale, wy = (sy - camera.y) / camera.scale;
        const reach = (Math.max(maxRadius * camera.scale, MIN_RADIUS_PX) + PICK_TOLERANCE_PX) / camera.scale;
        let best = -1, bestGap = Infinity;
        const consider = (i) => {
            const gap = Math.hypot(drawn[2 * i] - wx, drawn[2 * i + 1] - wy) * camera.scale - screenRadius(i);
            if (gap <= PICK_TOLERANCE_PX && gap < bestGap) {
                best = i;
                bestGap = gap;
            }
        };
        const c0 = grid.column(wx - reach), c1 = grid.column(wx + reach);
        const r0 = grid.row(wy - reach), r1 = grid.row(wy + reach);
        for (let row = r0; row <= r1; row++) {
            for (let column = c0; column <= c1; column++) {
                const cell = row * grid.columns + column;
                for (let p = grid.start[cell]; p < grid.start[cell + 1]; p++) {
                    const i = grid.members[p];
                    if (!moved[i]) consider(i);
                }
            }
        }
        for (const i of movedList) consider(i);
        return best;
    }

    // ---- selection -------------------------------------------------------------

    let selected = -1;

    function select(i) {
        if (selected >= 0) {
            marks[selected] = 0;
            for (let p = incidentStart[selected]; p < incidentStart[selected + 1]; p++) {
                const k = incident[p];
                marks[links[2 * k]] = 0;
                marks[links[2 * k + 1]] = 0;
            }
        }
        selected = i;
        highlightCount = 0;
        if (i >= 0) {
            const ends = new Uint32Array(2 * (incidentStart[i + 1] - incidentStart[i]));
            for (let p = incidentStart[i]; p < incidentStart[i + 1]; p++) {
                const k = incident[p];
                marks[links[2 * k]] = 1;
                marks[links[2 * k + 1]] = 1;
                ends[highlightCount++] = links[2 * k];
                ends[highlightCount++] = links[2 * k + 1];
            }
            marks[i] = 2;
            if (gl) {
                gl.bindVertexArray(highlightArray);
                gl.bufferData(gl.ELEMENT_ARRAY_BUFFER, ends, gl.DYNAMIC_DRAW);
                gl.bindVertexArray(null);
            }
        }
        if (gl) {
            gl.bindBuffer(gl.ARRAY_BUFFER, markBuffer);
            gl.bufferSubData(gl.ARRAY_BUFFER, 0, marks);
        }
        requestFullRender();
    }

    // ---- camera moves ----------------------------------------------------------

    let flight = null;

    function zoomAt(sx, sy, factor) {
        const limitLow = initial.scale / 50, limitHigh = initial.scale * 5000;
        const scale = Math.min(Math.max(camera.scale * factor, limitLow), limitHigh);
        camera.x = sx - (sx - camera.x) * scale / camera.scale;
        camera.y = sy - (sy - camera.y) * scale / camera.scale;
        camera.scale = scale;
        viewChanged();
    }

    function flyTo(target) {
        const start = { scale: camera.scale, x: camera.x, y: camera.y };
        const began = performance.now();
        flight = { target: target };
        const step = (now) => {
            if (!flight || flight.target !== target) return;
            const t = Math.min((now - began) / FLY_MS, 1);
            const ease = t < 0.5 ? 2 * t * t : 1 - Math.pow(-2 * t + 2, 2) / 2;
            // Interpolate the world point at the screen centre and the scale in log space.
            const centreStartX = (width / 2 - start.x) / start.scale, centreStartY = (height / 2 - start.y) / start.scale;
            const centreEndX = (width / 2 - target.x) / target.scale, centreEndY = (height / 2 - target.y) / target.scale;
            camera.scale = Math.exp(Math.log(start.scale) + (Math.log(target.scale) - Math.log(start.scale)) * ease);
            const cx = centreStartX + (centreEndX - centreStartX) * ease;
            const cy = centreStartY + (centreEndY - centreStartY) * ease;
            camera.x = width / 2 - cx * camera.scale;
            camera.y = height / 2 - cy * camera.scale;
            if (t < 1) {
                render();
                requestAnimationFrame(step);
            } else {
                flight = null;
                fullPending = true;
                render();
            }
        };
        requestAnimationFrame(step);
    }

    function fit() {
        flyTo(fitCamera());
    }

    function flyToNode(i) {
        const wanted = Math.max(camera.scale, 14 / Math.max(radius[i], 1e-12), initial.scale * 4);
        const scale = Math.min(wanted, initial.scale * 5000);
        flyTo({ scale: scale, x: width / 2 - drawn[2 * i] * scale, y: height / 2 - drawn[2 * i + 1] * scale });
        select(i);
    }

    // The node a search text names: the label itself, else the first label
    // holding the text (case ignored), else -1.
    function find(text) {
        if (text === "") return -1;
        const exact = labels.indexOf(text);
        if (exact >= 0) return exact;
        const lower = text.toLowerCase();
        for (let i = 0; i < n; i++) if (labels[i].toLowerCase().includes(lower)) return i;
        return -1;
    }

    function search(text) {
        const i = find(text);
        searchBox.classList.toggle("miss", i < 0 && text !== "");
        if (i >= 0) flyToNode(i);
        return i;
    }

    // ---- pointer ---------------------------------------------------------------

    let dragging = -1, panning = false, pressX = 0, pressY = 0, lastX = 0, lastY = 0, travelled = 0;
    let grabX = 0, grabY = 0;
    let hovered = -1;

    function moveNode(i, x, y) {
        positions[2 * i] = x;
        positions[2 * i + 1] = y;
        drawn[2 * i] = x;
        drawn[2 * i + 1] = y;
        if (!moved[i]) {
            moved[i] = 1;
            movedList.push(i);
        }
        if (gl) {
            gl.bindBuffer(gl.ARRAY_BUFFER, positionBuffer);
            gl.bufferSubData(gl.ARRAY_BUFFER, 8 * i, drawn, 2 * i, 2);
            updateArcs(i);
        }
        requestRender();
    }

    // The arrowheads of node i's arcs: their ends moved, or hidden while i is dragged.
    function updateArcs(i) {
        if (arcs.length === 0) return;
        for (let p = incidentStart[i]; p < incidentStart[i + 1]; p++) {
            const a = arcOf[incident[p]];
            if (a < 0) continue;
            placeArc(a);
            arcTargets[2 * a + 1] = dragging === i ? 1 : 0;
            gl.bindBuffer(gl.ARRAY_BUFFER, arcEndBuffer);
            gl.bufferSubData(gl.ARRAY_BUFFER, 16 * a, arcEnds, 4 * a, 4);
            gl.bindBuffer(gl.ARRAY_BUFFER, arcTargetBuffer);
            gl.bufferSubData(gl.ARRAY_BUFFER, 8 * a, arcTargets, 2 * a, 2);
        }
    }

    // Leaves node i and its links out of the full drawing (or puts them
    // back, for i = -1) and draws it again.
    function setDragged(i) {
        const previous = dragging;
        dragging = i;
        if (!gl) return;
        const node = i >= 0 ? i : previous;
        if (node < 0) return;
        marks[node] = i >= 0 ? 3 : node === selected ? 2 : selected >= 0 && isNeighbourOfSelected(node) ? 1 : 0;
        gl.bindBuffer(gl.ARRAY_BUFFER, markBuffer);
        gl.bufferSubData(gl.ARRAY_BUFFER, node, marks, node, 1);
        gl.bindVertexArray(lineArray);
        if (i >= 0) {
            const keep = new Uint32Array(2 * m - 2 * (incidentStart[i + 1] - incidentStart[i]) + 2);
            let count = 0;
            for (let k = 0; k < m; k++) {
                if (links[2 * k] === i || links[2 * k + 1] === i) continue;
                keep[count++] = links[2 * k];
                keep[count++] = links[2 * k + 1];
            }
            gl.bindBuffer(gl.ELEMENT_ARRAY_BUFFER, restingLinks);
            gl.bufferData(gl.ELEMENT_ARRAY_BUFFER, keep.subarray(0, count), gl.DYNAMIC_DRAW);
            lineCount = count;
        } else {
            gl.bindBuffer(gl.ELEMENT_ARRAY_BUFFER, allLinks);
            lineCount = 2 * m;
        }
        gl.bindVertexArray(null);
        updateArcs(node);
        requestFullRender();
    }

    function isNeighbourOfSelected(node) {
        for (let p = incidentStart[selected]; p < incidentStart[selected + 1]; p++) {
            const k = incident[p];
            if (links[2 * k] === node || links[2 * k + 1] === node) return true;
        }
        return false;
    }

    function describe(i) {
        const lines = [labels[i]];
        if (inDegree[i] || outDegree[i]) {
            lines.push("degree " + degree[i] + " (in " + inDegree[i] + ", out " + outDegree[i] +
                (undirectedDegree[i] ? ", undirected " + undirectedDegree[i] : "") + ")");
        } else {
            lines.push("degree " + degree[i]);
        }
        lines.push("component " + (component[i] + 1) + " of " + componentSizes.length +
            " (" + componentSizes[component[i]] + " nodes)");
        const shown = nodeColumns.slice(0, 20);
        for (const column of shown) {
            const v = column.values[i];
            if (v !== null) lines.push(column.name + ": " + valueText(v).replace(/[\r\n\t]+/g, " ").slice(0, 80));
        }
        if (nodeColumns.length > shown.length) lines.push("(" + (nodeColumns.length - shown.length) + " more columns)");
        return lines.join("\n");
    }

    function showTooltip(i, sx, sy) {
        if (i < 0) {
            tooltip.style.display = "none";
            return;
        }
        tooltip.textContent = describe(i);
        tooltip.style.display = "block";
        const left = Math.min(sx + 14, width - tooltip.offsetWidth - 4);
        const top = sy + 14 + tooltip.offsetHeight > height ? sy - 10 - tooltip.offsetHeight : sy + 14;
        tooltip.style.left = Math.max(left, 0) + "px";
        tooltip.style.top = Math.max(top, 0) + "px";
    }

    graphCanvas.addEventListener("mousedown", (event) => {
        if (event.button !== 0) return;
        flight = null;
        pressX = lastX = event.clientX;
        pressY = lastY = event.clientY;
        travelled = 0;
        const i = pick(event.clientX, event.clientY);
        if (i >= 0) {
            grabX = (event.clientX - camera.x) / camera.scale - drawn[2 * i];
            grabY = (event.clientY - camera.y) / camera.scale - drawn[2 * i + 1];
            setDragged(i);
        } else {
            panning = true;
        }
        event.preventDefault();
    });

    document.addEventListener("mousemove", (event) => {
        const dx = event.clientX - lastX, dy = event.clientY - lastY;
        lastX = event.clientX;
        lastY = event.clientY;
        travelled = Math.max(travelled, Math.hypot(event.clientX - pressX, event.clientY - pressY));
        if (dragging >= 0) {
            moveNode(dragging, (event.clientX - camera.x) / camera.scale - grabX,
                (event.clientY - camera.y) / camera.scale - grabY);
            showTooltip(-1);
        } else if (panning) {
            camera.x += dx;
            camera.y += dy;
            viewChanged();
        } else if (event.target === graphCanvas) {
            hovered = pick(event.clientX, event.clientY);
            showTooltip(hovered, event.clientX, event.clientY);
            graphCanvas.style.cursor = hovered >= 0 ? "pointer" : "default";
        }
    });

    document.addEventListener("mouseup", () => {
        const wasClick = travelled < CLICK_SLOP_PX;
        const released = dragging;
        if (released >= 0) setDragged(-1);
        if (wasClick && (released >= 0 || panning)) select(released >= 0 && released !== selected ? released : -1);
        panning = false;
    });

    graphCanvas.addEventListener("mouseleave", () => {
        hovered = -1;
        showTooltip(-1);
    });

    graphCanvas.addEventListener("wheel", (event) => {
        event.preventDefault();
        flight = null;
        showTooltip(-1);
        const unit = event.deltaMode === 1 ? 33 : event.deltaMode === 2 ? 100 * height / 100 : 1;
        const steps = Math.min(Math.max(event.deltaY * unit / 100, -5), 5);
        zoomAt(event.clientX, event.clientY, Math.pow(0.9, steps));
    }, { passive: false });

    window.addEventListener("resize", () => {
        resize();
        requestFullRender();
    });

    // ---- downloads -------------------------------------------------------------

    function download(contents, fileName, type) {
        const blob = contents instanceof Blob ? contents : new Blob([contents], { type: type });
        const url = URL.createObjectURL(blob);
        const link = document.createElement("a");
        link.href = url;
        link.download = fileName;
        document.body.appendChild(link);
        link.click();
        document.body.removeChild(link);
        // The download has long started by then; the URL only keeps the data alive.
        setTimeout(() => URL.revokeObjectURL(url), 60000);
    }

    // Shortest text that reads back to the same single-precision value, with
    // the spellings the Pajek reader takes for the specials.
    function weightText(value) {
        if (Number.isNaN(value)) return "NaN";
        if (value === Infinity) return "inf";
        if (value === -Infinity) return "-inf";
        for (let digits = 1; digits < 9; digits++) {
            const text = value.toPrecision(digits);
            if (Math.fround(Number(text)) === value) return String(Number(text));
        }
        return String(value);
    }

    // Canvas coordinates to the unit square the Pajek reader maps back with
    // u * 1480 + 20 and u * 680 + 20.
    function writePajek() {
        const lines = ["*Vertices " + n];
        for (let i = 0; i < n; i++) {
            const label = labels[i].replace(/[\r\n]/g, " ");
            lines.push((i + 1) + ' "' + label + '" ' + String((positions[2 * i] - 20) / 1480) + " " +
                String((positions[2 * i + 1] - 20) / 680));
        }
        for (const [header, wanted] of [["*Edges", 0], ["*Arcs", 1]]) {
            let started = false;
            for (let k = 0; k < m; k++) {
                if (directed[k] !== wanted) continue;
                if (!started) lines.push(header);
                started = true;
                lines.push((links[2 * k] + 1) + " " + (links[2 * k + 1] + 1) + " " + weightText(weights[k]));
            }
        }
        download(lines.join("\n") + "\n", "data.net", "text/plain");
    }

    // Non-finite weights have no JSON number; like the JSON file writer, they become null.
    function writeJson() {
        const record = (k) => {
            const value = Number(weightText(weights[k]));
            return { source: labels[links[2 * k]], target: labels[links[2 * k + 1]], weight: Number.isFinite(value) ? value : null };
        };
        const nodes = new Array(n);
        for (let i = 0; i < n; i++) nodes[i] = { label: labels[i], x: positions[2 * i], y: positions[2 * i + 1] };
        const edges = [], arcs = [];
        for (let k = 0; k < m; k++) (directed[k] ? arcs : edges).push(record(k));
        download(JSON.stringify({ nodes: nodes, edges: edges, arcs: arcs }), "data.json", "application/json");
    }

    // GraphML with every column as a typed key; positions as x and y,
    // weights as float (the page's single-precision weights read back exactly).
    function writeGraphml() {
        const escape = (text) => String(text).replace(/[&<>"]/g, (c) => ({ "&": "&amp;", "<": "&lt;", ">": "&gt;", '"': "&quot;" })[c])
            .replace(/[\u0000-\u0008\u000b\u000c\u000e-\u001f]/g, "");
        const typeName = { float: "double", int: "long", bool: "boolean", str: "string" };
        const number = (v) => Number.isNaN(v) ? "NaN" : v === Infinity ? "INF" : v === -Infinity ? "-INF" : String(v);
        const text = (column, v) => column.type === "float" ? number(v) : column.type === "bool" ? (v ? "true" : "false") : String(v);
        const out = ['<?xml version="1.0" encoding="UTF-8"?>',
            '<graphml xmlns="http://graphml.graphdrawing.org/xmlns">',
            '  <key id="label" for="node" attr.name="label" attr.type="string"/>',
            '  <key id="x" for="node" attr.name="x" attr.type="double"/>',
            '  <key id="y" for="node" attr.name="y" attr.type="double"/>',
            '  <key id="weight" for="edge" attr.name="weight" attr.type="float"/>'];
        nodeColumns.forEach((column, c) => out.push('  <key id="n' + c + '" for="node" attr.name="' + escape(column.name) +
            '" attr.type="' + typeName[column.type] + '"/>'));
        linkColumns.forEach((column, c) => out.push('  <key id="e' + c + '" for="edge" attr.name="' + escape(column.name) +
            '" attr.type="' + typeName[column.type] + '"/>'));
        out.push('  <graph edgedefault="undirected">');
        for (let i = 0; i < n; i++) {
            let line = '    <node id="n' + i + '"><data key="label">' + escape(labels[i]) + '</data><data key="x">' +
                number(positions[2 * i]) + '</data><data key="y">' + number(positions[2 * i + 1]) + "</data>";
            nodeColumns.forEach((column, c) => {
                const v = column.values[i];
                if (v !== null) line += '<data key="n' + c + '">' + escape(text(column, v)) + "</data>";
            });
            out.push(line + "</node>");
        }
        for (let k = 0; k < m; k++) {
            let line = '    <edge source="n' + links[2 * k] + '" target="n' + links[2 * k + 1] + '"' +
                (directed[k] ? ' directed="true"' : "") + '><data key="weight">' + weightText(weights[k]) + "</data>";
            linkColumns.forEach((column, c) => {
                const v = column.values[k];
                if (v !== null) line += '<data key="e' + c + '">' + escape(text(column, v)) + "</data>";
            });
            out.push(line + "</edge>");
        }
        out.push("  </graph>", "</graphml>");
        download(out.join("\n") + "\n", "data.graphml", "application/xml");
    }

    // The view as it is on screen, labels included.
    function writePng() {
        fullPending = true;
        render();
        const out = document.createElement("canvas");
        out.width = labelCanvas.width;
        out.height = labelCanvas.height;
        const context = out.getContext("2d");
        context.fillStyle = "#ffffff";
        context.fillRect(0, 0, out.width, out.height);
        context.drawImage(graphCanvas, -MARGIN * width * pixelRatio, -MARGIN * height * pixelRatio);
        context.drawImage(labelCanvas, 0, 0);
        out.toBlob((blob) => download(blob, "graph.png"), "image/png");
    }

    // ---- controls --------------------------------------------------------------

    document.getElementById("menuButton").addEventListener("click", () => {
        document.getElementById("sideMenu").classList.toggle("open");
    });
    document.getElementById("downloadJson").addEventListener("click", writeJson);
    document.getElementById("downloadPajek").addEventListener("click", writePajek);
    document.getElementById("downloadGraphml").addEventListener("click", writeGraphml);
    document.getElementById("downloadPng").addEventListener("click", writePng);
    document.getElementById("fit").addEventListener("click", fit);
    searchBox.addEventListener("keydown", (event) => {
        if (event.key === "Enter") search(searchBox.value);
    });
    document.getElementById("summary").textContent = n + " nodes, " + m + " links, " +
        componentSizes.length + " component" + (componentSizes.length === 1 ? "" : "s");
    if (n === 0) document.getElementById("message").textContent = "This graph has no nodes.";

    // State for scripts driving the page (tests, benchmarks).
    window.mivoraViewer = {
        nodeCount: n,
        linkCount: m,
        arrowCount: arcs.length,
        colourOf: (i) => Array.from(colour.subarray(4 * i, 4 * i + 3)),
        radiusOf: (i) => radius[i],
        legendText: () => document.getElementById("legend").innerText,
        describe: describe,
        camera: () => ({ scale: camera.scale, x: camera.x, y: camera.y }),
        screenOf: screenOf,
        screenRadius: screenRadius,
        positionOf: (i) => [positions[2 * i], positions[2 * i + 1]],
        pick: pick,
        search: search,
        fit: fit,
        select: select,
        mark: (i) => marks[i],
        get selected() { return selected; },
        get hovered() { return hovered; },
        get flying() { return flight !== null; },
        get labelsShown() { return labelsShown; },
        get frames() { return frames; },
        get webgl() { return gl !== null; },
        get ready() { return frames > 0; },
        // No full drawing pending: the canvas shows the current view exactly.
        get settled() { return !fullPending && !framePending && settleTimer === null && flight === null; },
    };

    render();
})();
