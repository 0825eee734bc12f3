// Viewer page: pan, zoom, node drag, the side menu and the two downloads.
// The drawing is read back from the DOM (circles "node<id>", labels
// "label<id>", lines "<from>line<to>"); the connections themselves, with
// their weights and directions, come from the #graph-data block, which lists
// each connection once.
"use strict";

let circle;
let isDragging = false;
let isPanning = false;
let previousX;
let previousY;
const svg = document.getElementsByTagName("svg")[0];
const viewBox = { x: 0, y: 0, width: 1500, height: 700 };

// What a drag moves besides the circle, looked up once when it starts.
let draggedLabel = null;
let draggedLines = { leaving: [], arriving: [] };

function updateViewBox() {
    svg.setAttribute("viewBox", viewBox.x + " " + viewBox.y + " " + viewBox.width + " " + viewBox.height);
}

function getNodeIndex(node) {
    const first = node.classList[0] || "";
    return first.startsWith("node") ? first.slice(4) : "";
}

function getLabel(index) {
    return svg.querySelector('[class="' + CSS.escape("label" + index) + '"]');
}

function getLines(index) {
    return {
        leaving: Array.from(svg.querySelectorAll('line[class^="' + CSS.escape(index + "line") + '"]')),
        arriving: Array.from(svg.querySelectorAll('line[class$="' + CSS.escape("line" + index) + '"]')),
    };
}

function shiftAttributes(element, xName, yName, dx, dy) {
    element.setAttribute(xName, parseFloat(element.getAttribute(xName)) + dx);
    element.setAttribute(yName, parseFloat(element.getAttribute(yName)) + dy);
}

function moveLabel(label, dx, dy) {
    if (label) shiftAttributes(label, "x", "y", dx, dy);
}

function moveLines(lines, dx, dy) {
    for (const line of lines.leaving) shiftAttributes(line, "x1", "y1", dx, dy);
    for (const line of lines.arriving) shiftAttributes(line, "x2", "y2", dx, dy);
}

// The canvas movement between two window points, through the drawing's own
// screen transform: the browser scales both axes by one factor and centres
// the canvas (letterbox), so a per-axis ratio of sizes would drift.
function canvasDelta(fromX, fromY, toX, toY) {
    const toCanvas = svg.getScreenCTM().inverse();
    const from = new DOMPoint(fromX, fromY).matrixTransform(toCanvas);
    const to = new DOMPoint(toX, toY).matrixTransform(toCanvas);
    return { dx: to.x - from.x, dy: to.y - from.y };
}

// dx, dy in canvas units.
function moveCircle(dx, dy) {
    moveLabel(draggedLabel, dx, dy);
    moveLines(draggedLines, dx, dy);
    shiftAttributes(circle, "cx", "cy", dx, dy);
}

// dx, dy in canvas units: the canvas point under the pointer stays under it.
function panSVG(dx, dy) {
    viewBox.x -= dx;
    viewBox.y -= dy;
    updateViewBox();
}

function onMouseDown(event) {
    if (event.target instanceof SVGCircleElement) {
        isDragging = true;
        circle = event.target;
        const index = getNodeIndex(circle);
        draggedLabel = getLabel(index);
        draggedLines = getLines(index);
    } else {
        isPanning = true;
    }
    previousX = event.clientX;
    previousY = event.clientY;
}

function onMouseUp() {
    isDragging = false;
    isPanning = false;
}

function onMouseMove(event) {
    if (!isDragging && !isPanning) return;
    const { dx, dy } = canvasDelta(previousX, previousY, event.clientX, event.clientY);
    if (isDragging) {
        moveCircle(dx, dy);
    } else {
        panSVG(dx, dy);
    }
    previousX = event.clientX;
    previousY = event.clientY;
}

// Zooms in by 0.9 per wheel step (out by 1 / 0.9), keeping the canvas point
// under the pointer where it is.
function onWheel(event) {
    event.preventDefault();
    const factor = event.deltaY < 0 ? 0.9 : 1 / 0.9;
    const box = svg.getBoundingClientRect();
    const rx = (event.clientX - box.left) / svg.clientWidth;
    const ry = (event.clientY - box.top) / svg.clientHeight;
    const width = viewBox.width * factor;
    const height = viewBox.height * factor;
    viewBox.x -= (width - viewBox.width) * rx;
    viewBox.y -= (height - viewBox.height) * ry;
    viewBox.width = width;
    viewBox.height = height;
    updateViewBox();
}

function toggleMenu() {
    document.getElementById("sideMenu").classList.toggle("open");
}

// The drawing as it stands now, dragged positions included.
function parseSVG() {
    const labels = new Map();
    for (const text of svg.querySelectorAll("text")) {
        const match = /label(\d+)/.exec(text.getAttribute("class") || "");
        if (match) labels.set(match[1], text.textContent);  // as drawn: spaces at either end are part of it
    }
    const nodes = [];
    for (const node of svg.querySelectorAll("circle")) {
        const className = node.getAttribute("class") || "";
        const match = /node(\d+)/.exec(className);
        if (!match) continue;
        nodes.push({
            x: parseFloat(node.getAttribute("cx")),
            y: parseFloat(node.getAttribute("cy")),
            radius: parseFloat(node.getAttribute("r")),
            className: className,
            label: labels.has(match[1]) ? labels.get(match[1]) : "",
            index: match[1],
        });
    }
    const undirected = [];
    const directed = [];
    for (const line of svg.querySelectorAll("line")) {
        const className = line.getAttribute("class") || "";
        const match = /(\d+)line(\d+)/.exec(className);
        if (!match) continue;
        const entry = {
            x1: parseFloat(line.getAttribute("x1")),
            y1: parseFloat(line.getAttribute("y1")),
            x2: parseFloat(line.getAttribute("x2")),
            y2: parseFloat(line.getAttribute("y2")),
            className: className,
            source: match[1],
            target: match[2],
        };
        if (line.getAttribute("marker-end")) {
            directed.push(entry);
        } else {
            undirected.push(entry);
        }
    }
    return { nodes: nodes, undirected: undirected, directed: directed };
}

// Each connection once, in record order: source and target node ids (as
// text), the weight as the shortest text of its single-precision value
// ("NaN", "inf" and "-inf" included) and the direction. A page without the
// data block falls back on the drawn lines, with weight 1.
function getConnections(drawing) {
    const block = document.getElementById("graph-data");
    if (!block) {
        const fromLines = (entries, isDirected) => entries.map((entry) => ({
            source: entry.source, target: entry.target, weight: "1", directed: isDirected,
        }));
        return fromLines(drawing.undirected, false).concat(fromLines(drawing.directed, true));
    }
    return JSON.parse(block.textContent).connections.map((connection) => ({
        source: String(connection[0]),
        target: String(connection[1]),
        weight: connection[2],
        directed: connection[3],
    }));
}

function download(text, fileName, type) {
    const url = URL.createObjectURL(new Blob([text], { type: type }));
    const link = document.createElement("a");
    link.href = url;
    link.download = fileName;
    document.body.appendChild(link);
    link.click();
    document.body.removeChild(link);
    // The download has long started by then; the URL only keeps the text alive.
    setTimeout(() => URL.revokeObjectURL(url), 60000);
}

// Canvas coordinates to the unit square the Pajek reader maps back with
// u * 1480 + 20 and u * 680 + 20.
function unitX(x) {
    return ((x - 20) / 1480).toFixed(4);
}

function unitY(y) {
    return ((y - 20) / 680).toFixed(4);
}

function writePajek() {
    const drawing = parseSVG();
    const connections = getConnections(drawing);
    const lines = ["*Vertices " + drawing.nodes.length];
    for (const node of drawing.nodes) {
        lines.push(node.index + ' "' + node.label + '" ' + unitX(node.x) + " " + unitY(node.y));
    }
    for (const [header, isDirected] of [["*Edges", false], ["*Arcs", true]]) {
        const section = connections.filter((connection) => connection.directed === isDirected);
        if (section.length === 0) continue;
        lines.push(header);
        for (const connection of section) {
            lines.push(connection.source + " " + connection.target + " " + connection.weight);
        }
    }
    download(lines.join("\n") + "\n", "data.net", "text/plain");
}

// Non-finite weights have no JSON number; like the JSON file writer, they
// become null.
function jsonWeight(text) {
    const value = Number(text);
    return Number.isFinite(value) ? value : null;
}

function writeJson() {
    const drawing = parseSVG();
    const labelOf = new Map(drawing.nodes.map((node) => [node.index, node.label]));
    const toRecord = (connection) => ({
        source: labelOf.get(connection.source),
        target: labelOf.get(connection.target),
        weight: jsonWeight(connection.weight),
    });
    const connections = getConnections(drawing);
    const graph = {
        nodes: drawing.nodes.map((node) => ({ label: node.label, x: node.x, y: node.y })),
        edges: connections.filter((connection) => !connection.directed).map(toRecord),
        arcs: connections.filter((connection) => connection.directed).map(toRecord),
    };
    download(JSON.stringify(graph), "data.json", "application/json");
}

if (svg) {
    updateViewBox();
    document.addEventListener("mousemove", onMouseMove);
    document.addEventListener("mousedown", onMouseDown);
    document.addEventListener("mouseup", onMouseUp);
    document.addEventListener("wheel", onWheel, { passive: false });
}
